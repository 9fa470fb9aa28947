#include "ui/common/mnemonics.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

#include "ui/common/text.h"

namespace velmora {

namespace {

// The letter after a single '&' (a doubled "&&" is a literal ampersand), or a null char.
QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] == QLatin1Char('&')) {
                ++i;
                continue;
            }
            return text[i + 1].toLower();
        }
    }
    return QChar();
}

// Where a mnemonic may go: word starts first, then every other letter.
QList<qsizetype> Candidates(const QString& text) {
    QList<qsizetype> starts;
    QList<qsizetype> others;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text[i].isLetterOrNumber()) {
            continue;
        }
        const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
        (wordStart ? starts : others).append(i);
    }
    return starts + others;
}

void Assign(const QList<QAction*>& actions) {
    QSet<QChar> taken;
    for (QAction* action : actions) {
        if (const QChar letter = MnemonicOf(action->text()); !letter.isNull()) {
            taken.insert(letter);
        }
    }
    for (QAction* action : actions) {
        const QString text = action->text();
        if (action->isSeparator() || text.isEmpty() || !MnemonicOf(text).isNull()) {
            continue;
        }
        for (const qsizetype at : Candidates(text)) {
            const QChar letter = text[at].toLower();
            if (!taken.contains(letter)) {
                taken.insert(letter);
                action->setText(text.left(at) + Q("&") + text.mid(at));
                break;
            }
        }
    }
    for (QAction* action : actions) {
        if (QMenu* sub = action->menu()) {
            AddMnemonics(*sub);
        }
    }
}

}  // namespace

void AddMnemonics(QMenu& menu) {
    Assign(menu.actions());
}

void AddMnemonics(QMenuBar& bar) {
    Assign(bar.actions());
}

}  // namespace velmora
