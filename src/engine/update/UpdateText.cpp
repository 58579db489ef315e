#include "update/UpdateText.h"

#include "i18n/Translate.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct TUpdateTexts
{
    QStringView Language;
    std::array<QStringView, 3> Message;
    QStringView StatusLabel;
    QStringView YesButton;
    QStringView NoButton;
};

// The last row serves every language not listed before it.
constexpr std::array<TUpdateTexts, 8> Texts{{
    {u"ko",
     {u"업데이트 정보가 있습니다.", u"안정적으로 사용하기 위해 업데이트를 하시길 권장합니다.",
      u"다운로드 받으시겠습니까?"},
     u"업데이트 가능",
     u"예",
     u"아니오"},
    {u"ja",
     {u"このプログラムがアップデートされました。",
      u"安定的に使用するために新しくダウンロード·実行することをお勧めします。",
      u"ダウンロードしますか。"},
     u"アップデート可",
     u"はい",
     u"いいえ"},
    {u"zh",
     {u"该程序已更新。", u"建议下载并执行新程序以稳定使用。", u"您要下载吗？"},
     u"可更新",
     u"是",
     u"否"},
    {u"de",
     {u"Dieses Programm ist aktualisiert worden.",
      u"Es wird empfohlen, es herunterzuladen und neu auszuführen, um es stabil zu verwenden.",
      u"Möchten Sie es herunterladen?"},
     u"Update möglich",
     u"Ja",
     u"Nein"},
    {u"ru",
     {u"Данная программа была обновлена.",
      u"Рекомендуется скачать и выполнить новое для стабильного использования.",
      u"Вы хотите загрузить ее?"},
     u"Обновление",
     u"Да",
     u"Нет"},
    {u"it",
     {u"È disponibile una nuova versione del programma.",
      u"Ti suggeriamo di scaricare ed aggiornare il programma.",
      u"Vuoi scaricare la nuova versione del programma?"},
     u"Aggiornabile",
     u"Sì",
     u"No"},
    {u"fr",
     {u"Ce programme a été mis à jour.",
      u"Il est recommandé de télécharger et d'exécuter la nouvelle version pour une "
      u"utilisation stable.",
      u"Voulez-vous le télécharger?"},
     u"Maj dispo",
     u"Oui",
     u"Non"},
    {u"",
     {u"This program has been updated.",
      u"It is recommended to download and execute new for stable use.",
      u"Do you want to download it?"},
     u"Update available",
     u"Yes",
     u"No"},
}};

const TUpdateTexts& TextsFor(const QString& language)
{
    for (const auto& texts : Texts) {
        if (texts.Language == language)
            return texts;
    }
    return Texts.back();
}

} // namespace

QString UpdateText(TUpdateTextKind kind)
{
    const TUpdateTexts& texts = TextsFor(CurrentLanguage());
    switch (kind) {
    case TUpdateTextKind::Message: {
        // Two carriage returns, no line feed, between the sentences.
        const QString paragraphBreak = u"\r\r"_s;
        return texts.Message[0] % paragraphBreak % texts.Message[1] % paragraphBreak %
               texts.Message[2];
    }
    case TUpdateTextKind::StatusLabel:
        return texts.StatusLabel.toString();
    case TUpdateTextKind::YesButton:
        return texts.YesButton.toString();
    case TUpdateTextKind::NoButton:
        return texts.NoButton.toString();
    }
    return {};
}
