#include "panel_number.h"

#include <QLocale>
#include <cmath>

FieldNumber readPanelNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QLocale locale;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (ok && std::isfinite(value))
        return FieldNumber::number(value);
    // QLocale reads "inf" and "nan" and refuses numbers beyond the double
    // range: the plain number syntax tells these apart.
    QString plain = trimmed;
    plain.remove(locale.groupSeparator());
    const QString point = locale.decimalPoint();
    const char decimal =
        point.size() == 1 && point.at(0).unicode() < 0x80 ? char(point.at(0).unicode()) : '.';
    return readNumber(plain.toStdString(), decimal);
}

ValueField panelField(const QString& text) {
    return {text.toStdString(), readPanelNumber(text)};
}
