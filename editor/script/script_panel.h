#pragma once
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "control_array.h"

class QFont;
class QGridLayout;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ScriptEditBox;
class ScriptFindBar;

// The script box of the entry on display, with its lengths ("org:" counts
// the script's bytes in the file, "act:" those of the box's text) and its
// Save button. It knows the text it was given, so it can tell typing that is
// not saved.
class ScriptPanel : public QWidget {
    Q_OBJECT
public:
    // `windowFont` is the font the window gives its controls.
    explicit ScriptPanel(const QFont& windowFont);

    // Places the script listing to the right of the box: `header` beside the
    // lengths, `view` beside the box, both columns as wide.
    void addListing(QLayout* header, QWidget* view);

    // Shows a script's bytes, or, without any, the "No Script" state.
    // The box is enabled and takes its font before the bytes are looked at.
    void showScript(const std::optional<std::string>& bytes);
    // The box is disabled and greyed and shows no lengths.
    void showNoScript();
    // The box's colour for an entry that has no script to show.
    void greyOut();
    // Empties the box; nothing shown in it is remembered.
    void clear();

    // The box's text as UTF-8, line breaks as '\n'.
    std::string editedText() const;
    // Shows UTF-8 text in the box as typing, not as the shown script.
    void showEditedText(const std::string& utf8);
    // The box holds typing that is not saved: its text differs from the
    // script it was given.
    bool holdsTyping() const;
    // The box's text counts as the shown script from now on; returns the
    // text that counted before, which setShownText puts back when the save
    // that made it count fails.
    QString takeTypingAsShown();
    void setShownText(const QString& text);
    // The typing is dropped: the box shows the given script again.
    void dropTyping();

    QPlainTextEdit* Text1;
    ControlArray<QLineEdit> Text2; // 5, 7: lengths; 8, 9, 10: captions
    QPushButton* SaveScript;
    // Text1 as the code editor it is, and its find bar.
    ScriptEditBox* scriptBox;
    ScriptFindBar* findBar;

private:
    QGridLayout* layout_;
    QString shownText_;
};

// Script text shows control bytes as control pictures (U+2400 ..); the
// script and listing boxes take them from a font that has them.
QFont scriptFont(const QFont& base);
