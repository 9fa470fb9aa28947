#pragma once

#include <QApplication>
#include <QFont>

namespace velmora {

class Prompter;

// The application object: catches every error that escapes an event handler, shows its text
// and lets the event loop go on.
class EditorApplication : public QApplication {
public:
    EditorApplication(int& argc, char** argv);

    // Where errors are shown; until one is set they go to stderr.
    void SetPrompter(Prompter* prompter) { m_prompter = prompter; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Prompter* m_prompter = nullptr;
};

// Applies the style sheet "Slate Classico" from the resources; false, with the default look
// kept, when it is not there.
bool ApplySlateClassico(QApplication& application);

// The windows' font: Tahoma 8 pt, or the closest the system has.
QFont EditorFont();

// Shows the text of an error that reached the top of a handler.
void ReportError(Prompter* prompter, const char* text);

}  // namespace velmora
