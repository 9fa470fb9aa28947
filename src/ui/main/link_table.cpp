// Every address the program opens, in one place.
#include "ui/main/link_table.h"

namespace velmora {

namespace {

constexpr const char* kMakerSite = "https://dorvan-software.example/";

LinkItem Separator() {
    return {nullptr, nullptr, LinkAction::Separator};
}

}  // namespace

const char* MakerSiteAddress() {
    return kMakerSite;
}

const std::vector<LinkItem>& HelpLinks() {
    static const std::vector<LinkItem> items = {
        {"Справка", kHelpFileName, LinkAction::HelpFile, QKeySequence(Qt::Key_F1)},
        Separator(),
        {"Сетевая справка (обновляется)", "https://dorvan-software.example/editor/help/",
         LinkAction::Address, QKeySequence(Qt::SHIFT | Qt::Key_F1)},
        Separator(),
        {"О программе", nullptr, LinkAction::AboutBox, QKeySequence(Qt::CTRL | Qt::Key_F1)},
        Separator(),
        {"Примеры", "https://dorvan-software.example/service/examples/"},
        Separator(),
        {"Видео работы с программой",
         "https://www.youtube.com/results?search_query=Velmora+Editor"},
        Separator(),
        {"Сообщить об ошибке в программе",
         "https://dorvan-software.example/bugreport/?product=17&version=4.0"},
        {"Оставить отзыв о программе", "https://dorvan-software.example/editor/#comments"},
        Separator(),
        {"Написать автору программы", "mailto:support@dorvan-software.example"},
        {"Отправить сообщение через сайт", "https://dorvan-software.example/contact/"},
        Separator(),
        {"Заказать разработку ПО через Skype", "Skype:dorvan.software?chat"},
    };
    return items;
}

const std::vector<LinkSubmenu>& MediaLinks() {
    static const std::vector<LinkSubmenu> menus = {
        {"Изображения",
         {
             {"Яндекс", "https://yandex.ru/images/"},
             {"Google", "https://www.google.com/imghp"},
             {"Bing", "https://www.bing.com/images"},
             {"Synchedin", "https://www.synchedin.example/images"},
             {"Pixabay", "https://pixabay.com/"},
             Separator(),
             {"Природа", "https://commons.wikimedia.org/wiki/Category:Nature"},
             {"Авто", "https://unsplash.com/s/photos/car"},
             {"Города", "https://unsplash.com/s/photos/city"},
             {"Девушки", "https://commons.wikimedia.org/wiki/Category:Portrait_photographs"},
             {"Танки",
              "https://www.iwm.org.uk/collections/search?query=tank&filters%5B"
              "webCategory%5D%5BPhotographs%5D=on"},
             {"Космос",
              "https://www.pexels.com/ru-ru/search/"
              "%D0%BA%D0%BE%D1%81%D0%BC%D0%BE%D1%81/"},
             {"Микромир", "https://www.bbc.com/news/in_pictures"},
         }},
        {"Картинки и иконки",
         {
             {"Бесплатные иконки для лендингов", "https://tilda.cc/free-icons/"},
             {"Good stuff no nonsense", "https://goodstuffnononsense.com/free-icons/"},
             {"Fribly", "https://fribly.com/tag/icons/"},
             {"OXYGENNA", "https://www.oxygenna.com/"},
             {"Iconshock", "https://www.iconshock.com/"},
             {"Icon Archive", "https://www.iconarchive.com/"},
             {"Captain icon", "https://mariodelvalle.github.io/CaptainIconWeb/"},
             {"Icons 8", "https://icons8.com/icons"},
         }},
        {"Звуки",
         {
             {"Synchedin", "https://www.synchedin.example/sound-effects"},
             {"Epidemic Sound", "https://www.epidemicsound.com/sound-effects/"},
             {"Звуки Про", "https://zvukipro.com/"},
             {"Sound Pack", "https://soundpacks.com/"},
             {"Freesound.org", "https://freesound.org/"},
             {"Бесплатные звуки и музыка для разработчиков игр",
              "https://opengameart.org/content/free-sounds-and-music"},
             {"Noise FX", "https://noisefx.ru/"},
             {"Звуки из популярных мемов", "https://www.myinstants.com/ru/categories/memes/"},
             {"Pro sound", "https://www.prosoundeffects.com/"},
             {"Zvukogram.com", "https://zvukogram.com/"},
         }},
        {"Музыка",
         {
             {"YouTube", "https://www.youtube.com/audiolibrary"},
             {"Icons 8", "https://www.youtube.com/audiolibrary"},
             {"Яндекс", "https://music.yandex.ru/"},
             {"МузТВ", "https://muz-tv.ru/music/"},
             {"Jamendo.com", "https://www.jamendo.com/"},
             {"Мегапесни", "https://megapesni.com/"},
             {"Save Music", "https://savemusic.me/"},
             {"Mp3 Store", "https://mp3store.cc/"},
             {"Drive music", "https://drivemusic.me/best_music/"},
             {"MUZOFOND", "https://muzofond.fm/"},
         }},
    };
    return menus;
}

}  // namespace velmora
