#pragma once

#include <QStringList>
#include <memory>

#include "ui/common/ports.h"

namespace velmora {

class COMMON_DATA;
class DRAW_HISTORY;
class TForm1;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TAboutBox;

// Creates the editor's windows in their fixed order and lets each window reach the others.
// All windows live as long as this object; they are only shown and hidden.
class Editor {
public:
    // arguments are the command line without the program name.
    Editor(const Ports& ports, DRAW_HISTORY& history, const QStringList& arguments);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    const Ports& GetPorts() const { return m_ports; }
    DRAW_HISTORY& History() { return m_history; }
    const QStringList& Arguments() const { return m_arguments; }
    COMMON_DATA& Data();

    // The windows by their role; the numbered names below are the same windows.
    TForm1& MainWindow() { return *m_form1; }
    TForm4& AreasWindow() { return *m_form4; }
    TForm5& AreaNameDialog() { return *m_form5; }
    TAboutBox& AboutBox() { return *m_aboutBox; }
    TForm6& MusicDialog() { return *m_form6; }
    TForm7& MergeWindow() { return *m_form7; }
    TForm8& GridDialog() { return *m_form8; }

    TForm1& Form1() { return MainWindow(); }
    TForm4& Form4() { return AreasWindow(); }
    TForm5& Form5() { return AreaNameDialog(); }
    TForm6& Form6() { return MusicDialog(); }
    TForm7& Form7() { return MergeWindow(); }
    TForm8& Form8() { return GridDialog(); }

private:
    Ports m_ports;
    DRAW_HISTORY& m_history;
    QStringList m_arguments;
    // Destroyed in reverse order: the dialogs first, the main window (and COMMON_DATA) last.
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm4> m_form4;
    std::unique_ptr<TForm5> m_form5;
    std::unique_ptr<TAboutBox> m_aboutBox;
    std::unique_ptr<TForm6> m_form6;
    std::unique_ptr<TForm7> m_form7;
    std::unique_ptr<TForm8> m_form8;
};

}  // namespace velmora
