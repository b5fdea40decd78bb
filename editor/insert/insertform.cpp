#include "insertform.h"

#include <QGroupBox>
#include <QVBoxLayout>

insertform::insertform(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("insertform");
    setWindowTitle("QXA Insert");

    Frame4 = new QGroupBox(this);
    Frame4->setObjectName("Frame4");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame4);
}
