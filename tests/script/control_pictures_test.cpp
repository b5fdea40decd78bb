#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextLayout>
#include <set>

#include "listing_view.h"
#include "script_fixture.h"

namespace {

// The control bytes of a script as the boxes draw them: the pictures for
// 00 .. 1F (but the tab) and 7F.
QStringList pictures() {
    QStringList all;
    for (char16_t c = 0x2400; c < 0x2420; ++c)
        if (c != 0x2409)
            all << QString(QChar(c));
    all << QString(QChar(char16_t(0x2421)));
    return all;
}

// The picture drawn as the box draws text; `font` with its fallbacks.
QImage drawn(const QString& text, const QFont& font) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    layout.draw(&painter, QPointF(2, 2));
    return image;
}

int inkedPixels(const QImage& image) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 200 ? 1 : 0;
    return inked;
}

// Every control byte is visible, and no two look alike: a lone CR, a lone LF
// and a NUL must not all be the same empty box.
void expectVisibleAndDistinct(const QFont& font, const char* box) {
    std::set<QByteArray> seen;
    for (const QString& picture : pictures()) {
        const QImage image = drawn(picture, font);
        EXPECT_GT(inkedPixels(image), 4) << box << " U+" << std::hex << int(picture[0].unicode());
        const QByteArray bits(reinterpret_cast<const char*>(image.constBits()),
                              image.sizeInBytes());
        EXPECT_TRUE(seen.insert(bits).second)
            << box << " U+" << std::hex << int(picture[0].unicode()) << " looks like another";
    }
}

class ControlPictures : public ScriptWindow {};

TEST_F(ControlPictures, EditorAndListingDrawEveryControlByteDistinctly) {
    open(scripts::displayScene());
    clickEntry(2);
    expectVisibleAndDistinct(editor()->font(), "Text1");
    expectVisibleAndDistinct(control<ListingView>(window, "RichTextBox1")->font(), "RichTextBox1");
}

} // namespace
