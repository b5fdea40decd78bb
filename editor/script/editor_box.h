#pragma once
#include <functional>
#include <string>

class QAbstractScrollArea;
class QPlainTextEdit;

// The script editor box's text as UTF-8, line breaks as '\n'. It is read raw:
// the plain-text view turns a no-break space into a space, which would change
// the script's bytes.
std::string editorBoxText(const QPlainTextEdit* box);

// Shows script text (UTF-8, line breaks as '\n') in the box.
void showEditorText(QPlainTextEdit* box, const std::string& utf8);

// Runs `onClick` each time the left mouse button is released over the box's
// text area.
void watchClicks(QAbstractScrollArea* box, std::function<void()> onClick);
