#pragma once

#include <QIcon>
#include <QImage>

namespace velmora {

// The program's icon, drawn by our own code: a framed picture with a painted area and a
// pointer.
QImage AppIconImage(int size);
QIcon AppIcon();

}  // namespace velmora
