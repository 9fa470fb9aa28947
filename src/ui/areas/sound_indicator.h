#pragma once

#include <QImage>
#include <QLabel>
#include <string>

namespace velmora {

// The picture that tells a sound is chosen: a colourful sound wave on a dark blue ground,
// drawn by the program itself at 496 × 279.
const QImage& SoundIndicatorImage();

// A label that shows the sound indicator picture scaled to its own size, with the chosen
// file's name and length written along its bottom; hidden while no sound is chosen.
class SoundIndicator : public QLabel {
public:
    explicit SoundIndicator(QWidget* parent = nullptr);

    // Shows the sound at path under its file name, or hides the indicator for an empty name.
    void ShowSound(const std::string& path, const std::string& fileName);
    const QString& Caption() const { return m_caption; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
};

}  // namespace velmora
