#include "u_field.h"

#include "u_dataset.h"

#include <QLocale>
#include <algorithm>
#include <climits>
#include <cmath>

namespace aeris::db {
namespace {

QLocale userLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

QString notValid(const QString& text, const char* what)
{
    return QStringLiteral("'%1' is not a valid %2 value").arg(text, QLatin1String(what));
}

} // namespace

QString formatNumber(double v, const QString& format)
{
    const QLocale loc = userLocale();
    if (format.isEmpty()) {
        if (v == std::floor(v) && std::fabs(v) < 1e15) return loc.toString(qlonglong(v));
        QString s = loc.toString(v, 'g', 15);
        return s;
    }
    const qsizetype dot = format.indexOf(u'.');
    const QString intPart = dot < 0 ? format : format.left(dot);
    const QString fracPart = dot < 0 ? QString() : format.mid(dot + 1);
    const int minFrac = int(fracPart.count(u'0'));
    const int maxFrac = minFrac + int(fracPart.count(u'#'));
    const int minInt = int(intPart.count(u'0'));
    const bool grouped = intPart.contains(u',');
    QLocale fl = loc;
    if (grouped) fl.setNumberOptions(QLocale::DefaultNumberOptions);
    QString s = fl.toString(std::fabs(v), 'f', maxFrac);
    const QString dec = loc.decimalPoint();
    if (maxFrac > minFrac) {
        const qsizetype p = s.indexOf(dec);
        if (p >= 0) {
            qsizetype end = s.size();
            while (end > p + 1 + minFrac && s[end - 1] == u'0') --end;
            if (end == p + 1) end = p; // no decimals left: drop the separator
            s.truncate(end);
        }
    }
    if (!grouped) {
        qsizetype digits = 0;
        while (digits < s.size() && s[digits].isDigit()) ++digits;
        if (digits < minInt) s.prepend(QString(minInt - digits, u'0'));
        else if (minInt == 0 && digits == 1 && s[0] == u'0' && s.size() > 1) s.remove(0, 1);
    }
    const bool anyNonZero = std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit() && c != u'0'; });
    return (v < 0 && anyNonZero) ? loc.negativeSign() + s : s;
}

bool parseNumber(const QString& raw, double* out)
{
    const QString text = raw.trimmed();
    if (text.isEmpty()) return false;
    bool ok = false;
    const QLocale loc = userLocale();
    double v = loc.toDouble(text, &ok);
    if (!ok) {
        QString c = text;
        c.remove(u' ').remove(QChar(0x00A0));
        c.replace(u',', u'.');
        v = QLocale::c().toDouble(c, &ok);
    }
    if (!ok || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

Field::Field(Dataset& ds, QString name, FieldType type, int size, bool calculated)
    : m_ds(ds), m_name(std::move(name)), m_type(type), m_size(size), m_calculated(calculated)
{
}

bool Field::isNumeric() const
{
    return m_type == FieldType::Integer || m_type == FieldType::BigInt || m_type == FieldType::Double;
}

QVariant Field::value() const
{
    const std::vector<QVariant>& row = m_ds.currentValues();
    if (m_slot < 0 || size_t(m_slot) >= row.size()) return {};
    return row[size_t(m_slot)];
}

void Field::setValue(const QVariant& raw)
{
    QVariant v = raw;
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty() && m_type != FieldType::TextBlob) v = QVariant();
    // Keep values in the field's own type so that comparisons and writes see one kind.
    if (!db::isNull(v)) {
        switch (m_type) {
        case FieldType::Integer: {
            bool ok = false;
            const qlonglong n = v.toLongLong(&ok);
            if (!ok || n < INT_MIN || n > INT_MAX) throw DatasetError(notValid(v.toString(), "integer"));
            v = int(n);
            break;
        }
        case FieldType::BigInt: {
            bool ok = false;
            const qlonglong n = v.toLongLong(&ok);
            if (!ok) throw DatasetError(notValid(v.toString(), "integer"));
            v = n;
            break;
        }
        case FieldType::Double: {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d)) throw DatasetError(notValid(v.toString(), "floating point"));
            v = d;
            break;
        }
        case FieldType::Text:
        case FieldType::TextBlob: {
            QString s = v.toString();
            if (m_type == FieldType::Text && m_size > 0 && s.size() > m_size) s.truncate(m_size);
            v = s;
            break;
        }
        case FieldType::Date: v = v.toDate(); break;
        default: break;
        }
    }
    std::vector<QVariant>& row = m_ds.writableValues(*this);
    row[size_t(m_slot)] = v;
    m_ds.fieldChanged(*this);
}

bool Field::isNull() const { return db::isNull(value()); }
int Field::asInteger() const { return value().toInt(); }
qint64 Field::asLargeInt() const { return value().toLongLong(); }
double Field::asFloat() const { return value().toDouble(); }
QString Field::asString() const
{
    const QVariant v = value();
    if (db::isNull(v)) return {};
    if (v.typeId() == QMetaType::Double) return formatNumber(v.toDouble());
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return v.toString();
}
QDate Field::asDate() const { return value().toDate(); }

QString Field::defaultText(bool display) const
{
    const QVariant v = value();
    if (db::isNull(v)) return {};
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::BigInt:
        if (display && !m_displayFormat.isEmpty()) return formatNumber(v.toDouble(), m_displayFormat);
        return QString::number(v.toLongLong());
    case FieldType::Double:
        return formatNumber(v.toDouble(), display ? m_displayFormat : QString());
    case FieldType::Date: return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::Timestamp: return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case FieldType::Time: return v.toTime().toString(QStringLiteral("hh:mm:ss"));
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

QString Field::displayText() const { return onGetText ? onGetText(*this, true) : defaultText(true); }
QString Field::editText() const { return onGetText ? onGetText(*this, false) : defaultText(false); }

void Field::setDefaultText(const QString& raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty()) {
        setValue(QVariant());
        return;
    }
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::BigInt: {
        bool ok = false;
        qlonglong n = text.toLongLong(&ok);
        if (!ok) n = QLocale().toLongLong(text, &ok);
        if (!ok) throw DatasetError(notValid(text, "integer"));
        setValue(n);
        return;
    }
    case FieldType::Double: {
        double d = 0;
        if (!parseNumber(text, &d)) throw DatasetError(notValid(text, "floating point"));
        setValue(d);
        return;
    }
    case FieldType::Date: {
        QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
        if (!d.isValid()) d = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
        if (!d.isValid()) {
            d = QDate::fromString(text, QStringLiteral("dd.MM.yy"));
            if (d.isValid() && d.year() < 1951) d = d.addYears(100);
        }
        if (!d.isValid()) throw DatasetError(notValid(text, "date"));
        setValue(d);
        return;
    }
    default: setValue(raw); return;
    }
}

void Field::setText(const QString& text)
{
    if (onSetText) onSetText(*this, text);
    else setDefaultText(text);
}

} // namespace aeris::db
