#include "dbfio.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace dispex {
namespace {

std::string trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && s[a] == ' ') ++a;
    while (b > a && s[b - 1] == ' ') --b;
    return s.substr(a, b - a);
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": the file is missing or cannot be read");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned u16(const std::string& b, size_t at) { return unsigned(static_cast<unsigned char>(b[at])) | (unsigned(static_cast<unsigned char>(b[at + 1])) << 8); }

struct Layout {
    std::vector<DbfField> fields;
    unsigned headerLength, recordLength, count;
};

Layout layout(const std::string& bytes, const std::string& path)
{
    if (bytes.size() < 33) throw std::runtime_error(path + ": not a DBF file (too short)");
    Layout l;
    l.count = unsigned(static_cast<unsigned char>(bytes[4])) | (unsigned(static_cast<unsigned char>(bytes[5])) << 8) |
              (unsigned(static_cast<unsigned char>(bytes[6])) << 16) | (unsigned(static_cast<unsigned char>(bytes[7])) << 24);
    l.headerLength = u16(bytes, 8);
    l.recordLength = u16(bytes, 10);
    if (l.headerLength < 33 || l.headerLength > bytes.size() || l.recordLength == 0 || l.recordLength > 4000)
        throw std::runtime_error(path + ": the header is damaged");
    const unsigned n = l.headerLength / 32 - 1;
    unsigned offset = 1;
    for (unsigned i = 0; i < n; ++i) {
        const size_t at = 32 * (i + 1);
        if (at + 32 > bytes.size() || bytes[at] == '\x0D') break;
        DbfField f;
        f.name = bytes.substr(at, 11);
        f.name = f.name.substr(0, f.name.find('\0'));
        f.type = bytes[at + 11];
        f.length = static_cast<unsigned char>(bytes[at + 16]);
        f.decimals = static_cast<unsigned char>(bytes[at + 17]);
        offset += unsigned(f.length);
        if (offset > l.recordLength + 1) throw std::runtime_error(path + ": field " + std::to_string(i + 1) + " reaches past the record");
        l.fields.push_back(f);
    }
    return l;
}

} // namespace

DbfTable readDbf(const std::string& path)
{
    const std::string bytes = readAll(path);
    const Layout l = layout(bytes, path);
    DbfTable t;
    t.fields = l.fields;
    for (unsigned r = 0; r < l.count; ++r) {
        const size_t at = size_t(l.headerLength) + size_t(r) * l.recordLength;
        if (at + l.recordLength > bytes.size())
            throw std::runtime_error(path + ": record " + std::to_string(r + 1) + " is cut off (the file is shorter than its header says)");
        std::vector<std::string> rec;
        size_t pos = at + 1;
        for (const DbfField& f : l.fields) {
            rec.push_back(trim(bytes.substr(pos, size_t(f.length))));
            pos += size_t(f.length);
        }
        t.records.push_back(std::move(rec));
    }
    return t;
}

void writeDbf(const std::string& templ, const std::string& path, const std::vector<std::vector<std::string>>& records)
{
    std::string bytes = readAll(templ);
    const Layout l = layout(bytes, templ);
    std::string out = bytes.substr(0, l.headerLength);
    const unsigned count = unsigned(records.size());
    out[4] = char(count & 0xFF);
    out[5] = char((count >> 8) & 0xFF);
    out[6] = char((count >> 16) & 0xFF);
    out[7] = char((count >> 24) & 0xFF);
    out.reserve(out.size() + size_t(count) * l.recordLength + 1);
    for (const auto& rec : records) {
        std::string line(l.recordLength, ' ');
        size_t pos = 1;
        for (size_t i = 0; i < l.fields.size(); ++i) {
            const DbfField& f = l.fields[i];
            std::string v = i < rec.size() ? rec[i] : std::string();
            if ((f.type == 'N' || f.type == 'F') && !v.empty()) {
                // Numbers take the field's own number of decimals.
                char* end = nullptr;
                const double d = std::strtod(v.c_str(), &end);
                if (end != v.c_str() && *end == '\0') {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%.*f", f.decimals, d);
                    v = buf;
                }
            }
            if (v.size() > size_t(f.length)) throw std::runtime_error(path + ": value \"" + v + "\" is too long for field " + f.name);
            const bool right = f.type == 'N' || f.type == 'F';
            line.replace(pos + (right ? size_t(f.length) - v.size() : 0), v.size(), v);
            pos += size_t(f.length);
        }
        out += line;
    }
    out += '\x1A';
    const std::string temp = path + ".part";
    {
        std::ofstream o(temp, std::ios::binary | std::ios::trunc);
        if (!o || !o.write(out.data(), std::streamsize(out.size())) || !o.flush()) {
            std::remove(temp.c_str());
            throw std::runtime_error(path + ": cannot be written");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error(path + ": cannot be written");
    }
}

} // namespace dispex
