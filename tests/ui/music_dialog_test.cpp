// The background music dialog: what each showing resets, choosing a sound into the project,
// the volume controls over the shared stream, and what "OK" stores.
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>

#include "audio/audio_output.h"
#include "store/common_data.h"
#include "store/files.h"
#include "ui/areas/music_dialog.h"
#include "ui/areas/sound_indicator.h"
#include "ui/common/text.h"
#include "ui_test_support.h"

using namespace velmora;
using velmora::test::EditorFixture;

namespace {

// A real OGG tone, so that the preview really plays under the dummy audio driver.
std::string MakeTone(const EditorFixture& fixture, const std::string& name) {
    const std::string path = fixture.folder / name;
    const std::string command =
        "sox -n -r 44100 -c 2 '" + path + "' synth 3 sine 440 vol 0.5 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        test::WriteFile(path, "not a sound");
    }
    return path;
}

// The sound and volume the project file holds, read back by reopening it.
std::pair<std::string, int> StoredMusic(EditorFixture& fixture) {
    COMMON_DATA& data = fixture.data();
    const std::string path = data.project.ProjectPath;
    data.CloseProject();
    data.OpenProject(path);
    return {data.canvas.BackgroundSound, data.canvas.BackgroundVolume};
}

}  // namespace

class MusicDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ShowingWithoutSoundResetsTheVolume() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(120, 80, {});
        fixture.data().canvas.BackgroundVolume = 40;
        TForm6& dialog = fixture.editor().Form6();
        dialog.show();
        QCOMPARE(dialog.VolumeSlider()->value(), 100);
        QCOMPARE(dialog.VolumeField()->value(), 100);
        QCOMPARE(fixture.data().canvas.BackgroundVolume, 100);
        QVERIFY(dialog.Indicator()->isHidden());

        // A chosen sound keeps its volume and shows the indicator on the next showing.
        dialog.hide();
        fixture.data().canvas.BackgroundSound = "wind.ogg";
        fixture.data().canvas.BackgroundVolume = 35;
        dialog.show();
        QCOMPARE(dialog.VolumeSlider()->value(), 35);
        QCOMPARE(dialog.VolumeField()->value(), 35);
        QVERIFY(!dialog.Indicator()->isHidden());
        dialog.hide();
    }

    void ChosenSoundPlaysFollowsTheSliderAndOkStoresIt() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(120, 80, {});
        const std::string tone = MakeTone(fixture, "tone.ogg");
        TForm6& dialog = fixture.editor().Form6();
        dialog.show();

        fixture.dialogs.Answer(tone);
        QTest::mouseClick(dialog.ChooseButton(), Qt::LeftButton);
        QCOMPARE(fixture.data().canvas.BackgroundSound, std::string("tone.ogg"));
        QVERIFY(FileExists(fixture.data().project.WorkFilePath("Sounds", "tone.ogg")));
        QVERIFY(!dialog.Indicator()->isHidden());
        // The chosen file is named, with its length where the sound can be decoded.
        QCOMPARE(dialog.Indicator()->Caption(), Q("Файл: tone.ogg (3,0 с)"));
        QCOMPARE(fixture.dialogs.filters.back(), std::string("Аудио файлы (*.mp3 *.ogg)"));

        QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
        const StreamHandle playing = CurrentStream;
        QVERIFY(StreamPlaying(playing));
        QCOMPARE(StreamVolume(playing), 1.0f);

        dialog.VolumeSlider()->setValue(30);
        QCOMPARE(dialog.VolumeField()->value(), 30);
        QCOMPARE(fixture.data().canvas.BackgroundVolume, 30);
        QCOMPARE(StreamVolume(playing), 0.3f);
        dialog.VolumeField()->setValue(45);
        QCOMPARE(dialog.VolumeSlider()->value(), 45);
        QCOMPARE(StreamVolume(playing), 0.45f);
        dialog.VolumeSlider()->setValue(30);

        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        QVERIFY(!StreamPlaying(playing));
        QVERIFY(!dialog.isVisible());
        QVERIFY(fixture.prompter.messages.empty());
        QCOMPARE(StoredMusic(fixture), std::make_pair(std::string("tone.ogg"), 30));
    }

    void RemoveKeepsTheVolumeAndTheFile() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(120, 80, {});
        const std::string tone = MakeTone(fixture, "tone.ogg");
        TForm6& dialog = fixture.editor().Form6();
        dialog.show();
        fixture.dialogs.Answer(tone);
        dialog.ChooseClick();
        dialog.VolumeSlider()->setValue(60);

        QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
        QVERIFY(dialog.Indicator()->isHidden());
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        QCOMPARE(StoredMusic(fixture), std::make_pair(std::string(), 60));
        QVERIFY(FileExists(fixture.data().project.WorkFilePath("Sounds", "tone.ogg")));
    }

    void PlayWithoutSoundAsksForAFile() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(120, 80, {});
        TForm6& dialog = fixture.editor().Form6();
        dialog.show();
        QTest::mouseClick(dialog.PlayButton(), Qt::LeftButton);
        QCOMPARE(fixture.prompter.messages, std::vector<std::string>{"Сперва выберите файл!"});
        dialog.hide();
    }

    // An existing file of the chosen name: Cancel changes nothing at all, No keeps the old
    // file and takes its name.
    void ChoosingOverAnExistingFile() {
        EditorFixture fixture;
        fixture.OpenProjectWithPicture(120, 80, {});
        const std::string tone = MakeTone(fixture, "tone.ogg");
        const std::string stored = fixture.data().project.WorkFilePath("Sounds", "tone.ogg");
        test::WriteFile(stored, "the old file");
        TForm6& dialog = fixture.editor().Form6();
        dialog.show();

        fixture.dialogs.Answer(tone);
        fixture.prompter.Reply(Answer::Cancel);
        dialog.ChooseClick();
        QCOMPARE(fixture.prompter.questions.back(),
                 Naming("Файл уже существует. Перезаписать?", stored));
        QCOMPARE(fixture.data().canvas.BackgroundSound, std::string());
        QVERIFY(dialog.Indicator()->isHidden());

        fixture.dialogs.Answer(tone);
        fixture.prompter.Reply(Answer::No);
        dialog.ChooseClick();
        QCOMPARE(fixture.data().canvas.BackgroundSound, std::string("tone.ogg"));
        QCOMPARE(test::ReadFile(stored), std::string("the old file"));
        dialog.hide();
    }
};

int RunMusicDialogTest(int argc, char** argv) {
    MusicDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "music_dialog_test.moc"
