#include "ui/common/qt_ports.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
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

namespace {

// A box over the window the user works in (Qt centres it there), with the fitting icon, and
// never narrower than its caption, which the window frame would otherwise cut.
class PromptBox : public QMessageBox {
public:
    PromptBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text)
        : QMessageBox(icon, Q(caption), Q(text), QMessageBox::NoButton,
                      QApplication::activeWindow()) {
        // Room for the caption plus the frame's icon and buttons.
        const int captionWidth = fontMetrics().horizontalAdvance(windowTitle()) + 160;
        if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
            grid->addItem(
                new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
};

Answer AskWith(const std::string& text, const std::string& caption, Buttons buttons,
               QMessageBox::Icon icon, Answer preferred) {
    if (buttons == Buttons::Ok) {
        PromptBox box(QMessageBox::Information, caption, text);
        box.addButton(Q("OK"), QMessageBox::AcceptRole);
        box.exec();
        return Answer::Ok;
    }
    PromptBox box(icon, caption, text);
    QPushButton* yes = box.addButton(Q("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Q("Нет"), QMessageBox::NoRole);
    QPushButton* cancel = nullptr;
    if (buttons == Buttons::YesNoCancel) {
        cancel = box.addButton(Q("Отмена"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(no);
    }
    box.setDefaultButton(preferred == Answer::No ? no : yes);
    box.exec();
    if (box.clickedButton() == yes) {
        return Answer::Yes;
    }
    if (box.clickedButton() == no || !cancel) {
        return Answer::No;
    }
    return Answer::Cancel;
}

void Show(QMessageBox::Icon icon, const std::string& text) {
    PromptBox box(icon, U(BoxCaption()), text);
    box.addButton(Q("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace

void QtPrompter::Message(const std::string& text) {
    Show(QMessageBox::Warning, text);
}

void QtPrompter::Notice(const std::string& text) {
    Show(QMessageBox::Information, text);
}

Answer QtPrompter::Ask(const std::string& text, const std::string& caption, Buttons buttons) {
    return AskWith(text, caption, buttons, QMessageBox::Question, Answer::Yes);
}

Answer QtPrompter::AskSafely(const std::string& text, const std::string& caption, Buttons buttons) {
    return AskWith(text, caption, buttons, QMessageBox::Warning, Answer::No);
}

std::optional<std::string> QtPrompter::AskText(const std::string& text, const std::string& caption,
                                               const std::string& initial) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), Q(caption), Q(text),
                                                 QLineEdit::Normal, Q(initial), &accepted);
    if (!accepted) {
        return std::nullopt;
    }
    return U(answer);
}

void QtPrompter::Beep() {
    QApplication::beep();
}

std::optional<std::string> QtFileDialogs::OpenFile(const std::string& caption,
                                                   const std::string& filter,
                                                   const std::string& start) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), Q(start), Q(filter));
    SetUpFileDialog(dialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return U(dialog.selectedFiles().constFirst());
}

std::vector<std::string> QtFileDialogs::OpenFiles(const std::string& caption,
                                                  const std::string& filter,
                                                  const std::string& start) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), Q(start), Q(filter));
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
                                                   const std::string& filter,
                                                   const std::string& start) {
    QFileDialog dialog(QApplication::activeWindow(), Q(caption), Q(start), Q(filter));
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
