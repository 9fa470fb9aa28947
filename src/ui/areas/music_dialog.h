#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace velmora {

class COMMON_DATA;
class Editor;
class SoundIndicator;

// Chooses, previews and stores the picture's background music.
class TForm6 : public QDialog {
public:
    explicit TForm6(Editor& editor);

    // The buttons' handlers.
    void ChooseClick();
    void RemoveClick();
    void PlayClick();
    void StopClick();
    void OkClick();

    QPushButton* ChooseButton() const { return m_choose; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* PlayButton() const { return m_play; }
    QPushButton* StopButton() const { return m_stop; }
    QPushButton* OkButton() const { return m_ok; }
    QSlider* VolumeSlider() const { return m_slider; }
    QSpinBox* VolumeField() const { return m_field; }
    SoundIndicator* Indicator() const { return m_indicator; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    COMMON_DATA& Data();
    void VolumeChanged(int value);
    // The indicator shows the chosen sound's name and length, or hides without one.
    void ShowChosenSound();

    Editor& m_editor;
    QPushButton* m_choose = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_ok = nullptr;
    SoundIndicator* m_indicator = nullptr;
    QSlider* m_slider = nullptr;
    QSpinBox* m_field = nullptr;
    // Set while the slider and the number field copy their value into each other.
    bool m_syncing = false;
};

}  // namespace velmora
