// Writes the program's icon as PNG files of the given sizes into an icon theme's folder layout
// (<folder>/<size>x<size>/apps/velmora-editor.png), drawn by the same code the editor uses.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>

#include "ui/common/app_icon.h"
#include "ui/common/text.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: make_icons <folder> <size>...\n", stderr);
        return 2;
    }
    const QString folder = velmora::Q(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::stoi(argv[i]);
        const QString apps = folder + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(apps) ||
            !velmora::AppIconImage(size).save(apps + QStringLiteral("/velmora-editor.png"))) {
            std::fprintf(stderr, "make_icons: cannot write the %d px icon into %s\n", size,
                         argv[1]);
            return 1;
        }
    }
    return 0;
}
