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

TEST(QuaroTextTest, CountsUserPerceivedCharacters)
{
    EXPECT_EQ(text::characterCount(""), 0u);
    EXPECT_EQ(text::characterCount("abc"), 3u);
    EXPECT_EQ(text::characterCount("é"), 1u);              // precomposed
    EXPECT_EQ(text::characterCount("e\xCC\x81"), 1u);      // e + combining acute
    EXPECT_EQ(text::characterCount("👨‍👩‍👧"), 1u);               // one family, five code points
    EXPECT_EQ(text::characterCount("🇧🇷🇵🇹"), 2u);             // two flags
    EXPECT_EQ(text::characterCount("a\r\nb"), 3u);         // CR LF is one character
    EXPECT_EQ(text::prefix("👨‍👩‍👧x", 1), "👨‍👩‍👧");
    EXPECT_EQ(text::prefix("ab", 5), "ab");
}

TEST(QuaroTextTest, FoldingIgnoresCaseAndAccentsWithoutLocale)
{
    EXPECT_EQ(text::fold("É"), "e");
    EXPECT_EQ(text::fold("é"), "e");
    EXPECT_EQ(text::fold("e\xCC\x81"), "e");
    EXPECT_EQ(text::fold("Ç"), "c");
    EXPECT_EQ(text::fold("ÁÉÍÓÚÃÕÂÊÔÀÜ"), "aeiouaoaeoau");
    EXPECT_EQ(text::fold("Tavlo Web"), "tavlo web");
    EXPECT_EQ(text::fold("İ"), "i"); // no Turkish rules: no locale
    EXPECT_EQ(text::fold("ÑANDÚ 🎉"), "nandu 🎉");
}

TEST(QuaroTextTest, TrimmingKnowsWhitespaceFromLineBreaks)
{
    EXPECT_EQ(text::trimmingWhitespace(" \t\xC2\xA0oi\xE2\x80\x83 "), "oi"); // NBSP and em space
    EXPECT_EQ(text::trimmingWhitespace("\noi\n"), "\noi\n");
    EXPECT_EQ(text::trimmingWhitespaceAndNewlines(" \r\n\toi\xE2\x80\xA8\n"), "oi");
    EXPECT_EQ(text::trimmingWhitespaceAndNewlines(" \n "), "");
}

TEST(QuaroTextTest, TitleIsTheFirstSentence)
{
    EXPECT_EQ(text::title("  \n \n  "), "Recado sem fala");
    EXPECT_EQ(text::title(""), "Recado sem fala");
    EXPECT_EQ(text::title("Oi. Tudo bem?"), "Oi");
    EXPECT_EQ(text::title("Tudo bem?"), "Tudo bem");
    EXPECT_EQ(text::title("...Oi"), "Oi");
    EXPECT_EQ(text::title("?!"), "?!");
    EXPECT_EQ(text::title("Primeira linha\nsegunda"), "Primeira linha");
    EXPECT_EQ(text::title("Primeira linha\r\nsegunda"), "Primeira linha");
    EXPECT_EQ(text::title("  Oi! Tudo"), "Oi");
    EXPECT_EQ(text::title("Oi. "), "Oi");
    EXPECT_EQ(text::title("Oi.  Tudo"), "Oi");
    EXPECT_EQ(text::title(". Tudo bem"), " Tudo bem"); // pieces are not trimmed again
}

TEST(QuaroTextTest, LongTitlesAreCutAtASpaceWithinSixtyCharacters)
{
    const std::string sixty = repeat("abcde ", 9) + "abcdef"; // 60 characters
    ASSERT_EQ(text::characterCount(sixty), 60u);
    EXPECT_EQ(text::title(sixty), sixty);

    // 61 characters whose last space among the first 60 is the 55th character.
    const std::string head = repeat("x", 54);
    const std::string sixtyOne = head + " " + repeat("y", 6);
    ASSERT_EQ(text::characterCount(sixtyOne), 61u);
    EXPECT_EQ(text::title(sixtyOne), head + ellipsis);

    // Without a space the first 60 characters stay whole.
    EXPECT_EQ(text::title(repeat("z", 70)), repeat("z", 60) + ellipsis);
    // Counting is in characters, not bytes: accented letters and emoji are not split.
    EXPECT_EQ(text::title(repeat("é", 60)), repeat("é", 60));
    EXPECT_EQ(text::title(repeat("👍🏽", 61)), repeat("👍🏽", 60) + ellipsis);
    EXPECT_EQ(text::characterCount(text::title(repeat("ação ", 30))), 60u); // 59 + the ellipsis
}

TEST(QuaroTextTest, DestinoIsFoundAfterALeadIn)
{
    const Destino tavlo{"T", "Tavlo", "", "#FF6A1C", 1};
    const Destino roadmap{"R", "Roadmap", "", "#FFAE56", 2};
    const std::vector<Destino> destinos{tavlo, roadmap};
    const auto found = [&](std::string_view transcript) {
        const auto d = text::destinoMentioned(transcript, destinos);
        return d ? d->id : std::string("-");
    };
    EXPECT_EQ(found("Isso é pro Roadmap: revisar metas"), "R");
    EXPECT_EQ(found("ISSO É PARA O TÁVLO"), "T");
    EXPECT_EQ(found("para tavlo"), "T");
    EXPECT_EQ(found("ok, manda pra Tavlo"), "T");
    EXPECT_EQ(found("no destino roadmap"), "R");
    EXPECT_EQ(found("compro tavlo"), "T"); // nothing is checked before the lead-in
    EXPECT_EQ(found("pro tavlos"), "T");   // nor after the name
    EXPECT_EQ(found("Isso é do Tavlo"), "-");
    EXPECT_EQ(found("protavlo"), "-");
    EXPECT_EQ(found(""), "-");
}

TEST(QuaroTextTest, OnlyTheFirst160CharactersAreSearched)
{
    const std::vector<Destino> destinos{{"T", "Tavlo", "", "#FF6A1C", 1}};
    // Multi-byte padding shows that the head is measured in characters.
    const std::string inside = repeat("é", 151) + "pro tavlo";  // ends at character 160
    const std::string outside = repeat("é", 152) + "pro tavlo"; // cut after "tavl"
    const std::string late = repeat("é", 160) + "pro tavlo";    // starts at character 161
    EXPECT_TRUE(text::destinoMentioned(inside, destinos));
    EXPECT_FALSE(text::destinoMentioned(outside, destinos));
    EXPECT_FALSE(text::destinoMentioned(late, destinos));
}

TEST(QuaroTextTest, LongerNamesWinAndListOrderBreaksTies)
{
    const std::vector<Destino> destinos{{"T", "Tavlo", "", "", 0}, {"W", "Tavlo Web", "", "", 1}};
    EXPECT_EQ(text::destinoMentioned("pro tavlo web", destinos)->id, "W");
    EXPECT_EQ(text::destinoMentioned("pro tavlo", destinos)->id, "T");

    const std::vector<Destino> twins{{"1", "Cafe", "", "", 0}, {"2", "CAFÉ", "", "", 1}};
    EXPECT_EQ(text::destinoMentioned("pro café", twins)->id, "1");
    const std::vector<Destino> reversed{twins[1], twins[0]};
    EXPECT_EQ(text::destinoMentioned("pro cafe", reversed)->id, "2");

    const std::vector<Destino> unnamed{{"E", "", "", "", 0}, {"S", "\xCC\x81", "", "", 0}};
    EXPECT_FALSE(text::destinoMentioned("pro ", unnamed)); // a name that folds to nothing never matches
}

} // namespace
