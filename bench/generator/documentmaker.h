#pragma once

#include "generator/generatorconfig.h"
#include "generator/htmlcomposer.h"
#include "generator/namemaker.h"
#include "generator/vocabulary.h"

#include <QString>

namespace folio::bench {

struct MadeDocument
{
    QString title;
    QString html;
    QString changed;      // ChgDate as the program writes it
    bool keywordOne = false;
    bool keywordTwo = false;
    bool twoCharacters = false;
};

// OneMegabyte and the open samples are made to that many bytes of HTML
// (within a fragment); the others vary.
enum class DocumentSize { Ordinary, Large, OneMegabyte, TenKilobytes, HundredKilobytes };

// Makes document number `index` of a base: title, page, change date and
// which search words it holds. Each document draws from its own random
// stream, so it comes out the same whatever was made before it.
class DocumentMaker
{
public:
    // The share of documents that hold each search word.
    static constexpr double KeywordOneShare = 0.01;
    static constexpr double KeywordTwoShareWithOne = 0.25;
    static constexpr double KeywordTwoShareWithoutOne = 0.03;
    static constexpr double TwoCharacterShare = 0.02;
    static constexpr qint64 OneMegabyte = 1024 * 1024;

    explicit DocumentMaker(const GeneratorConfig &config);
    DocumentMaker(const DocumentMaker &) = delete;
    DocumentMaker &operator=(const DocumentMaker &) = delete;

    MadeDocument make(int index, DocumentSize size) const;

private:
    qint64 targetLength(BenchRandom &random, DocumentSize size) const;

    GeneratorConfig m_config;
    Vocabulary m_vocabulary;
    NameMaker m_names;
    HtmlComposer m_composer;
};

} // namespace folio::bench
