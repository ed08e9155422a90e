#include "core/QuaroText.h"

#include <algorithm>
#include <array>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

namespace quaro::QuaroText {

namespace {

constexpr std::size_t titleLength = 60;
constexpr std::size_t mentionHeadLength = 160;
constexpr std::string_view emptyTitle = "Recado sem fala";
constexpr std::string_view ellipsis = "\xE2\x80\xA6"; // U+2026
// Lead-ins that name a destino, each ending in one space; tried in this order.
constexpr std::array<std::string_view, 7> leadIns = {"pro ",         "pra ",         "para ",      "para o ",
                                                     "para a ",      "pro destino ", "no destino "};

// One character iterator per thread: ICU iterators are not shareable.
icu::BreakIterator* characterIterator()
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

struct UTextCloser {
    void operator()(UText* text) const { utext_close(text); }
};

// Byte offsets of the character boundaries of `text`, from 0 to its size.
// `limit` stops the walk after that many characters.
std::vector<std::size_t> boundaries(std::string_view text, std::size_t limit = SIZE_MAX)
{
    std::vector<std::size_t> offsets{0};
    if (text.empty())
        return offsets;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UText, UTextCloser> utext(
        utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    icu::BreakIterator* iterator = characterIterator();
    if (iterator && U_SUCCESS(status)) {
        iterator->setText(utext.get(), status);
        if (U_SUCCESS(status)) {
            for (int32_t next = iterator->next(); next != icu::BreakIterator::DONE && offsets.size() <= limit;
                 next = iterator->next())
                offsets.push_back(static_cast<std::size_t>(next));
        }
    }
    if (offsets.size() == 1) {
        // No break iterator (ICU data missing): fall back to code points.
        for (std::size_t i = 1; i <= text.size() && offsets.size() <= limit; ++i) {
            if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                offsets.push_back(i);
        }
    }
    return offsets;
}

// Decodes the code point starting at `i` (U+FFFD for a broken sequence).
char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length)
{
    UChar32 c = 0;
    int32_t offset = static_cast<int32_t>(i);
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), offset, static_cast<int32_t>(text.size()), c);
    length = static_cast<std::size_t>(offset) - i;
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

// Start of the code point that ends just before `end`.
std::size_t previousStart(std::string_view text, std::size_t end)
{
    std::size_t i = end - 1;
    while (i > 0 && end - i < 4 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        --i;
    return i;
}

bool isWhitespace(char32_t c)
{
    return c == U'\t' || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

bool isWhitespaceOrNewline(char32_t c)
{
    return isWhitespace(c) || (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

template <typename Predicate>
std::string_view trimming(std::string_view text, Predicate trimmed)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t length = 0;
        if (!trimmed(decodeAt(text, begin, length)))
            break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t start = previousStart(text, end);
        std::size_t length = 0;
        if (start < begin || !trimmed(decodeAt(text, start, length)) || start + length != end)
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

bool isSentenceEnd(std::string_view character)
{
    // A CR LF pair is one character; it ends a sentence like a bare line feed.
    return character == "." || character == "!" || character == "?" || character == "\n" || character == "\r\n";
}

} // namespace

std::size_t characterCount(std::string_view text)
{
    return boundaries(text).size() - 1;
}

std::string_view prefix(std::string_view text, std::size_t count)
{
    const auto offsets = boundaries(text, count);
    return text.substr(0, offsets[std::min(count, offsets.size() - 1)]);
}

std::string_view trimmingWhitespace(std::string_view text)
{
    return trimming(text, isWhitespace);
}

std::string_view trimmingWhitespaceAndNewlines(std::string_view text)
{
    return trimming(text, isWhitespaceOrNewline);
}

std::string fold(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(text);
    // Decompose, fold case (which may bring out new marks, as for İ),
    // decompose again, drop the non-spacing marks, recompose.
    icu::UnicodeString decomposed =
        nfd->normalize(icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))),
                       status);
    decomposed.foldCase(U_FOLD_CASE_DEFAULT);
    decomposed = nfd->normalize(decomposed, status);
    icu::UnicodeString stripped;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK)
            stripped.append(c);
        i += U16_LENGTH(c);
    }
    const icu::UnicodeString composed = nfc->normalize(stripped, status);
    if (U_FAILURE(status))
        return std::string(text);
    std::string out;
    composed.toUTF8String(out);
    return out;
}

std::string title(std::string_view transcript)
{
    const std::string_view trimmed = trimmingWhitespaceAndNewlines(transcript);
    if (trimmed.empty())
        return std::string(emptyTitle);

    // The first sentence: the first non-empty piece between sentence ends;
    // a text made only of sentence ends is its own title.
    const auto all = boundaries(trimmed);
    std::optional<std::string_view> firstPiece;
    std::size_t pieceStart = 0;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        if (!isSentenceEnd(trimmed.substr(all[i], all[i + 1] - all[i])))
            continue;
        if (all[i] > pieceStart) {
            firstPiece = trimmed.substr(pieceStart, all[i] - pieceStart);
            break;
        }
        pieceStart = all[i + 1];
    }
    if (!firstPiece && pieceStart < trimmed.size())
        firstPiece = trimmed.substr(pieceStart);
    const std::string_view kept = firstPiece.value_or(trimmed);

    const auto offsets = boundaries(kept, titleLength + 1);
    if (offsets.size() - 1 <= titleLength)
        return std::string(kept);
    // Cut at the last space within the first 60 characters.
    for (std::size_t i = titleLength; i-- > 0;) {
        if (kept.substr(offsets[i], offsets[i + 1] - offsets[i]) == " ")
            return std::string(kept.substr(0, offsets[i])) + std::string(ellipsis);
    }
    return std::string(kept.substr(0, offsets[titleLength])) + std::string(ellipsis);
}

std::optional<Destino> destinoMentioned(std::string_view transcript, const std::vector<Destino>& destinos)
{
    const std::string head = fold(prefix(transcript, mentionHeadLength));

    // Longest names first, so "Tavlo Web" wins over "Tavlo"; equal lengths
    // keep the caller's order.
    std::vector<std::pair<std::size_t, const Destino*>> ordered;
    ordered.reserve(destinos.size());
    for (const Destino& d : destinos)
        ordered.emplace_back(characterCount(d.name), &d);
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    for (const auto& [length, destino] : ordered) {
        const std::string name = fold(destino->name);
        if (name.empty())
            continue;
        for (std::string_view leadIn : leadIns) {
            if (head.find(std::string(leadIn) + name) != std::string::npos)
                return *destino;
        }
    }
    return std::nullopt;
}

} // namespace quaro::QuaroText
