#pragma once
#include <QPlainTextEdit>
#include <QString>
#include <cstddef>
#include <string>

// The script text box. It shows a script's bytes (CR LF as line breaks,
// other control bytes as their control pictures) and refuses any edit that
// would make the script longer than the byte limit set when it was loaded.
class ScriptBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ScriptBox(QWidget* parent = nullptr);

    // Shows `bytes` without raising textChanged; the limit becomes their length.
    void loadScript(const std::string& bytes);
    void clearScript();

    // The text as UTF-8, line breaks as "\n".
    std::string viewText() const;
    // The number of bytes the text stands for.
    std::size_t byteLength() const;
    std::size_t maxBytes() const { return maxBytes_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    std::size_t selectedBytes() const;
    void keepWithinLimit();

    std::size_t maxBytes_ = 0;
    QString accepted_; // the last text within the limit
};
