#pragma once

#include <QDialog>
#include <QPushButton>

#include "ui/common/text.h"

namespace velmora {

// Gives a dialog its object name, caption and a fixed frame of the given client size.
inline void SetUpFixedDialog(QDialog& dialog, const char* objectName, const char* caption,
                             int width, int height, bool modal) {
    dialog.setObjectName(Q(objectName));
    dialog.setWindowTitle(Q(caption));
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    dialog.setModal(modal);
    dialog.setFixedSize(width, height);
}

// A named push button that Enter does not press: only the dialog's default button takes Enter.
inline QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(Q(caption), parent);
    button->setObjectName(Q(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace velmora
