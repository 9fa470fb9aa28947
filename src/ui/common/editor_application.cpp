#include "ui/common/editor_application.h"

#include <QFile>
#include <cstdio>
#include <exception>

#include "store/prompter.h"
#include "ui/common/text.h"

namespace velmora {

EditorApplication::EditorApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Where QSettings keeps window places and recent projects.
    setOrganizationName(Q("Velmora"));
}

bool EditorApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(m_prompter, error.what());
    } catch (...) {
        ReportError(m_prompter, "Неизвестная ошибка");
    }
    return false;
}

void ReportError(Prompter* prompter, const char* text) {
    if (prompter) {
        prompter->Message(text);
    } else {
        std::fprintf(stderr, "%s\n", text);
    }
}

QFont EditorFont() {
    QFont font(Q("Tahoma"));
    font.setPointSize(8);
    return font;
}

bool ApplySlateClassico(QApplication& application) {
    QFile file(Q(":/styles/slate_classico.qss"));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    application.setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

}  // namespace velmora
