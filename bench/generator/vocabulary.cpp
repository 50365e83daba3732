#include "generator/vocabulary.h"

namespace folio::bench {

namespace {

const char *const English =
    "the of and to in is for on with as that this note notes meeting project plan draft review budget "
    "garden recipe travel book chapter summary idea ideas list task tasks follow-up question answer "
    "library folder document letter report minutes agenda schedule week month year morning evening "
    "kitchen window river mountain harbour station ticket invoice receipt contract supplier customer "
    "design interface printer network server backup restore archive version release change issue fix "
    "test measure result table figure chart paper pencil coffee tea bread butter onion garlic pepper "
    "lemon apple orange cherry walnut almond honey yellow green blue purple silver copper iron wooden "
    "quiet bright early late quick slow simple careful important urgent pending done open closed "
    "remember check call write read send bring keep move store find compare choose decide finish "
    "don't it's we're they'll isn't O'Brien's Anna's";

const char *const Accented =
    "café naïve résumé façade déjà-vu crème brûlée élève été l’été fiancée garçon Ærø smørrebrød "
    "Überblick Grüße Straße Bücher Mädchen Übung señor mañana año jalapeño acción corazón São "
    "coração ação Kraków Łódź żółw český příliš Dvořák Ångström";

const char *const Greek =
    "βιβλίο σημείωση βιβλιοθήκη φάκελος έγγραφο συνάντηση ταξίδι θάλασσα ήλιος καφές ψωμί "
    "ιστορία μάθημα εργασία ημερομηνία απάντηση ερώτηση λίστα σχέδιο ώρα";

const char *const Cyrillic =
    "заметка библиотека папка документ встреча проект план отчёт книга глава список задача "
    "вопрос ответ неделя месяц утро вечер кухня окно река гора чай хлеб молоко яблоко "
    "съёмка объявление Москва Київ";

// Kept free of the characters of KeywordTwoCharacters.
const char *const Chinese = "笔记 图书馆 文件夹 会议 项目 计划 报告 问题 答案 星期 早上 晚上 厨房 咖啡 面包";
const char *const Japanese = "図書館 会議メモ 読書 旅行 料理 お茶 東京 京都 月曜日 宿題 買い物 天気 写真";

} // namespace

Vocabulary::Vocabulary()
{
    for (const char *list : {English, Accented, Greek, Cyrillic, Chinese, Japanese})
        m_words += QString::fromUtf8(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    m_escaped.reserve(m_words.size());
    for (const QString &word : std::as_const(m_words))
        m_escaped.append(word.toHtmlEscaped());
}

} // namespace folio::bench
