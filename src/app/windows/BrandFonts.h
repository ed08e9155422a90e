#pragma once

#include <QString>

namespace quaro {

// The display face of the interface (Bricolage Grotesque Extra Bold), loaded
// from the font file shipped beside the executable. Main thread.
class BrandFonts {
public:
    // Registers the face with the font database once; a missing or
    // unreadable file is logged and leaves the fallback in place.
    static void registerFonts();
    // Registers the face from one file; true when it loaded.
    static bool registerFile(const QString& path);
    // The family to ask for: the display face when registered, else empty
    // (the views then use a heavy system face).
    static QString displayFamily();

private:
    static QString& family();
};

} // namespace quaro
