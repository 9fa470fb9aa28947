#include "ui/common/qt_ports.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "ui/common/text.h"

namespace velmora {

namespace {

QString BoxCaption() {
    return QGuiApplication::applicationDisplayName();
}

// Our own (not the desktop's) file dialog, whose patterns match without regard to case, so
// "HALL.JPG" shows under "*.jpg".
void SetUpFileDialog(QFileDialog& dialog, QFileDialog::AcceptMode acceptMode,
                     QFileDialog::FileMode fileMode) {
    dialog.setAcceptMode(acceptMode);
    dialog.setFileMode(fileMode);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
}

}  // namespace

void QtPrompter::Message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, BoxCaption(), Q(text), QMessageBox::NoButton);
    box.addButton(Q("OK"), QMessageBox::AcceptRole);
    box.exec();
}

Answer QtPrompter::Ask(const std::string& text, const std::string& caption, Buttons buttons) {
    if (buttons == Buttons::Ok) {
        QMessageBox box(QMessageBox::NoIcon, Q(caption), Q(text), QMessageBox::NoButton);
        box.addButton(Q("OK"), QMessageBox::AcceptRole);
        box.exec();
        return Answer::Ok;
    }
    QMessageBox box(QMessageBox::NoIcon, Q(caption), Q(text), QMessageBox::NoButton);
    QPushButton* yes = box.addButton(Q("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Q("Нет"), QMessageBox::NoRole);
    QPushButton* cancel = nullptr;
    if (buttons == Buttons::YesNoCancel) {
        cancel = box.addButton(Q("Отмена"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(no);
    }
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes) {
        return Answer::Yes;
    }
    if (box.clickedButton() == no || !cancel) {
        return Answer::No;
    }
    return Answer::Cancel;
}

void QtPrompter::Beep() {
    QApplication::beep();
}

std::optional<std::string> QtFileDialogs::OpenFile(const std::string& caption,
                                                   const std::string& filter) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), QString(), Q(filter));
    SetUpFileDialog(dialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return U(dialog.selectedFiles().constFirst());
}

std::vector<std::string> QtFileDialogs::OpenFiles(const std::string& caption,
                                                  const std::string& filter) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), QString(), Q(filter));
    SetUpFileDialog(dialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
    std::vector<std::string> paths;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& path : dialog.selectedFiles()) {
            paths.push_back(U(path));
        }
    }
    return paths;
}

std::optional<std::string> QtFileDialogs::SaveFile(const std::string& caption,
                                                   const std::string& filter) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), QString(), Q(filter));
    SetUpFileDialog(dialog, QFileDialog::AcceptSave, QFileDialog::AnyFile);
    // The commands ask their own questions about an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return U(dialog.selectedFiles().constFirst());
}

bool QtShell::Open(const std::string& pathOrUrl) {
    const QString text = Q(pathOrUrl);
    const QUrl url = QFileInfo::exists(text)
                         ? QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath())
                         : QUrl::fromUserInput(text);
    return QDesktopServices::openUrl(url);
}

std::string QtClipboard::Text() {
    return U(QGuiApplication::clipboard()->text());
}

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(Q(text));
}

}  // namespace velmora
