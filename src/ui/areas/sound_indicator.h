#pragma once

#include <QImage>
#include <QLabel>

namespace velmora {

// The picture that tells a sound is chosen: a colourful sound wave on a dark blue ground,
// drawn by the program itself at 496 × 279.
const QImage& SoundIndicatorImage();

// A label that shows the sound indicator picture scaled to its own size; hidden until a
// sound is chosen.
class SoundIndicator : public QLabel {
public:
    explicit SoundIndicator(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace velmora
