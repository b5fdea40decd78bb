#include "value_box_width.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
QChar widestDigit(const QFontMetrics& metrics) {
    QChar widest('0');
    for (char d = '0'; d <= '9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest))
            widest = QChar(d);
    return widest;
}

// The wider of the exponent form and the longest fixed form the general
// format gives with `digits` significant digits ("-0.0001234567").
QString widestGeneral(const QFontMetrics& metrics, int digits) {
    const QChar d = widestDigit(metrics);
    const QChar sign = metrics.horizontalAdvance('+') > metrics.horizontalAdvance('-') ? '+' : '-';
    const QString exponent = QString("-") + d + "." + QString(digits - 1, d) + "E" + sign + d + d;
    const QString fixed = QString("-0.000") + QString(digits, d);
    return metrics.horizontalAdvance(exponent) >= metrics.horizontalAdvance(fixed) ? exponent
                                                                                   : fixed;
}
} // namespace

QString longestText(BoxText kind, const QFont& font) {
    const QFontMetrics metrics(font);
    switch (kind) {
    case BoxText::Single:
        return widestGeneral(metrics, 7);
    case BoxText::AngleDouble:
        return widestGeneral(metrics, 15);
    case BoxText::Byte:
        return QString(3, widestDigit(metrics));
    }
    return {};
}

void fitBox(QLineEdit* box, BoxText kind, const QFont& font) {
    const QFontMetrics metrics(font);
    // QLineEdit keeps a margin of 2 pixels on either side of its text and
    // needs one more for the caret after the last character.
    const int textWidth = metrics.horizontalAdvance(longestText(kind, font)) + 2 * 2 + 1;
    const QMargins margins = box->textMargins();
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = QRect();
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QSize contents(textWidth + margins.left() + margins.right(), metrics.height());
    const QSize size = box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, box);
    box->setFixedWidth(size.width());
}
