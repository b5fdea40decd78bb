#include "panel_number.h"

#include <QLocale>

#include "number_text.h"

char localeDecimalPoint() {
    const QString point = QLocale().decimalPoint();
    if (point.size() != 1 || point.at(0).unicode() >= 0x80)
        return '.';
    const char c = static_cast<char>(point.at(0).unicode());
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E' || c == ' ' ||
        c == '\t')
        return '.';
    return c;
}

QString shownText(const std::string& dotText) {
    return QString::fromStdString(withDecimalPoint(dotText, localeDecimalPoint()));
}

FieldNumber readPanelNumber(const QString& text) {
    return readNumber(text.toStdString(), localeDecimalPoint());
}

ValueField panelField(const QString& text) {
    const char point = localeDecimalPoint();
    return {text.toStdString(), readNumber(text.toStdString(), point), point};
}
