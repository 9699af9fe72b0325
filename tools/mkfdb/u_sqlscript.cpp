#include "u_sqlscript.h"

#include <QRegularExpression>

namespace aeris::sqlscript {

QStringList splitStatements(const QString& script)
{
    static const QRegularExpression setTerm(QStringLiteral("^\\s*set\\s+term\\s+(\\S+)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    QString term = QStringLiteral(";");
    QString current;
    const qsizetype n = script.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"') {
            qsizetype j = i + 1;
            while (j < n && !(script[j] == c && !(j + 1 < n && script[j + 1] == c))) j += (script[j] == c) ? 2 : 1;
            current += script.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            while (i < n && script[i] != u'\n') ++i;
        } else if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            const qsizetype end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (script.mid(i, term.size()) == term) {
            const QString stmt = current.trimmed();
            current.clear();
            i += term.size();
            const auto m = setTerm.match(stmt);
            if (m.hasMatch()) term = m.captured(1);
            else if (!stmt.isEmpty() && stmt.compare(QLatin1String("commit"), Qt::CaseInsensitive) != 0) out << stmt;
        } else {
            current += c;
            ++i;
        }
    }
    if (!current.trimmed().isEmpty()) out << current.trimmed();
    return out;
}

} // namespace aeris::sqlscript
