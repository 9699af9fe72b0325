#pragma once
// A field of a Dataset: its definition (name, type, size, required flag, labels and formats)
// and access to its value in the dataset's current row, with the display and entry conversions.

#include "u_fbclient.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>

namespace aeris::db {

class Dataset;

class DatasetError : public Error {
public:
    using Error::Error;
};

// Thrown by an event handler to cancel the operation silently (nothing is shown).
class Abort : public Error {
public:
    Abort() : Error(QStringLiteral("Operation aborted")) {}
};

class Field {
public:
    Field(Dataset& ds, QString name, FieldType type, int size, bool calculated);

    const QString& name() const { return m_name; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }
    bool isCalculated() const { return m_calculated; }
    bool isNumeric() const;
    bool required() const { return m_required; }
    void setRequired(bool r) { m_required = r; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }
    bool visible() const { return m_visible; }
    void setVisible(bool v) { m_visible = v; }
    // The table the column comes from ("" for calculated fields and expressions).
    const QString& origin() const { return m_origin; }

    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    bool hasOwnLabel() const { return !m_label.isEmpty(); }
    void setDisplayLabel(const QString& l) { m_label = l; }
    // Number formats: "0.00" (two decimals), "0.###" (up to three), "#,##0.0" (grouped),
    // "00000" (zero-padded); empty for the default form.
    const QString& displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& f) { m_displayFormat = f; }
    int tag() const { return m_tag; }
    void setTag(int t) { m_tag = t; }
    int displayWidth() const { return m_displayWidth; }
    void setDisplayWidth(int w) { m_displayWidth = w; }

    int index() const { return m_slot; }
    Dataset& dataset() const { return m_ds; }

    // The value in the current row (the pending edit while the row is being edited).
    QVariant value() const;
    // Setting needs the dataset in edit or insert state (calculated fields: inside the
    // calculation). An empty text stores null, as an empty entry does.
    void setValue(const QVariant& v);
    void clear() { setValue(QVariant()); }
    bool isNull() const;
    int asInteger() const;
    qint64 asLargeInt() const;
    double asFloat() const;
    QString asString() const;
    QDate asDate() const;

    // Display text: through onGetText when set, otherwise the value formatted in the user's locale.
    QString displayText() const;
    // The text an editor starts with.
    QString editText() const;
    // Entry: through onSetText when set, otherwise parsed in the user's locale (both "," and
    // "." are taken as the decimal separator). An empty text stores null.
    void setText(const QString& text);

    // Default conversions, for handlers that extend them.
    QString defaultText(bool display) const;
    void setDefaultText(const QString& text);

    std::function<QString(const Field&, bool display)> onGetText;
    std::function<void(Field&, const QString&)> onSetText;
    std::function<void(Field&)> onChange;

private:
    friend class Dataset;
    Dataset& m_ds;
    QString m_name;
    FieldType m_type;
    int m_size;
    bool m_calculated;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_visible = true;
    QString m_origin;
    QString m_label;
    QString m_displayFormat;
    int m_tag = 0;
    int m_displayWidth = 0;
    int m_slot = -1;
};

// Number text in the user's locale: default form (up to 15 significant digits) or a format.
QString formatNumber(double v, const QString& format = {});
// Parses a number typed by the user: the locale's form, or with "." or "," as decimal point.
bool parseNumber(const QString& text, double* out);

} // namespace aeris::db
