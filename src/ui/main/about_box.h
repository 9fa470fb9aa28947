#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;
class QTimer;

namespace velmora {

class Editor;

// The about box: the product, its version and its maker, beside a figure that looks toward
// the mouse pointer.
class TAboutBox : public QDialog {
public:
    explicit TAboutBox(Editor& editor);

    // The timer's step: shows the picture that looks toward the pointer's screen position.
    void Timer1Timer();
    void ShowPictureFor(QPoint pointer);
    // Which of Image1 to Image9 looks toward the pointer, for a box whose outer top-left
    // corner is at corner.
    static int PictureFor(QPoint pointer, QPoint corner);
    // 1 to 9 for the picture shown, 0 while none is.
    int ShownPicture() const;

    void CommentsClick();

    QLabel* Picture(int number) const { return m_images[number - 1]; }
    QLabel* Comments() const { return m_comments; }
    QPushButton* OkButton() const { return m_ok; }
    QTimer* Timer() const { return m_timer; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Editor& m_editor;
    std::array<QLabel*, 9> m_images{};
    QLabel* m_comments = nullptr;
    QPushButton* m_ok = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace velmora
