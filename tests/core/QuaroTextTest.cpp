#include "core/QuaroText.h"

#include <gtest/gtest.h>

using namespace quaro;
namespace text = quaro::QuaroText;

namespace {

std::string repeat(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

const std::string ellipsis = "\xE2\x80\xA6";

TEST(QuaroTextTest, CountsAndCutsUserPerceivedCharacters)
{
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0}, {"e\xCC\x81", 1} /* e + combining acute */, {"👨‍👩‍👧", 1} /* five code points */,
        {"🇧🇷🇵🇹", 2}, {"a\r\nb", 3} /* CR LF is one */,
    };
    for (const auto& [input, count] : cases)
        EXPECT_EQ(text::characterCount(input), count) << input;
    EXPECT_EQ(text::prefix("👨‍👩‍👧x", 1), "👨‍👩‍👧");
    EXPECT_EQ(text::prefix("ab", 5), "ab");
}

TEST(QuaroTextTest, FoldingAndTrimming)
{
    EXPECT_EQ(text::fold("ÁÉÍÓÚÃÕÂÊÔÀÜÇ e\xCC\x81"), "aeiouaoaeoauc e");
    EXPECT_EQ(text::fold("İ"), "i"); // no Turkish rules: no locale
    EXPECT_EQ(text::fold("ÑANDÚ 🎉"), "nandu 🎉");
    EXPECT_EQ(text::trimmingWhitespace(" \t\xC2\xA0oi\xE2\x80\x83 "), "oi"); // NBSP and em space
    EXPECT_EQ(text::trimmingWhitespace("\noi\n"), "\noi\n");
    EXPECT_EQ(text::trimmingWhitespaceAndNewlines(" \r\n\t\u3000oi\u2028\u0085\u2029\u202F\n"), "oi");
}

TEST(QuaroTextTest, TitleIsTheFirstSentenceOrLineCutAtASpaceWithinSixtyCharacters)
{
    const std::string head = repeat("x", 54);
    const std::string sixty = repeat("abcde ", 9) + "abcdef";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  \n \n  ", "Recado sem fala"},
        {"Oi. Tudo bem?", "Oi"},
        {"...Oi", "Oi"},
        {"?!", "?!"},
        {"Primeira linha\r\nsegunda", "Primeira linha"},
        {"  Oi! Tudo", "Oi"},
        {". Tudo bem", " Tudo bem"}, // pieces are not trimmed again
        {sixty, sixty},
        {head + " " + repeat("y", 6), head + ellipsis}, // 61: cut at the last space among the first 60
        {repeat("z", 70), repeat("z", 60) + ellipsis},  // no space: the first 60 stay whole
        {repeat("é", 60), repeat("é", 60)},             // characters, not bytes
        {repeat("👍🏽", 61), repeat("👍🏽", 60) + ellipsis},
    };
    for (const auto& [input, title] : cases)
        EXPECT_EQ(text::title(input), title) << input;
}

TEST(QuaroTextTest, DestinoIsFoundAfterALeadInWithinTheFirst160Characters)
{
    const std::vector<Destino> destinos{{"T", "Tavlo", "", "#FF6A1C", 1}, {"R", "Roadmap", "", "#FFAE56", 2}};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Isso é pro Roadmap: revisar metas", "R"},
        {"ISSO É PARA O TÁVLO", "T"},
        {"ok, manda pra Tavlo", "T"},
        {"no destino roadmap", "R"},
        {"compro tavlo", "T"}, // nothing is checked before the lead-in
        {"pro tavlos", "T"},   // nor after the name
        {"Isso é do Tavlo", "-"},
        {"protavlo", "-"},
        {"", "-"},
        {repeat("é", 151) + "pro tavlo", "T"}, // ends at character 160
        {repeat("é", 152) + "pro tavlo", "-"}, // cut after "tavl"
    };
    for (const auto& [transcript, id] : cases) {
        const auto found = text::destinoMentioned(transcript, destinos);
        EXPECT_EQ(found ? found->id : "-", id) << transcript;
    }
}

TEST(QuaroTextTest, LongerNamesWinAndListOrderBreaksTies)
{
    const std::vector<Destino> destinos{{"T", "Tavlo", "", "", 0}, {"W", "Tavlo Web", "", "", 1}};
    EXPECT_EQ(text::destinoMentioned("pro tavlo web", destinos)->id, "W");
    EXPECT_EQ(text::destinoMentioned("pro tavlo", destinos)->id, "T");
    const std::vector<Destino> twins{{"1", "Cafe", "", "", 0}, {"2", "CAFÉ", "", "", 1}};
    EXPECT_EQ(text::destinoMentioned("pro café", twins)->id, "1");
    EXPECT_EQ(text::destinoMentioned("pro cafe", std::vector<Destino>{twins[1], twins[0]})->id, "2");
    // A name that folds to nothing never matches.
    EXPECT_FALSE(text::destinoMentioned("pro ", std::vector<Destino>{{"E", "", "", "", 0}, {"S", "\xCC\x81", "", "", 0}}));
}

} // namespace
