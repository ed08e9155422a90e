// Writing a playable file is covered by the importer's tests; a full disk
// showing within seconds, by the recorder's against a real sound server.
#include "Fixtures.h"

#include "media/AacWriter.h"

using namespace quaro;
using namespace quaro::testing;

TEST(AacWriterTest, AFileThatCannotBeCreatedIsNamedInTheFailure)
{
    TempDir dir;
    auto missing = AacWriter::create(dir / "no" / "such" / "a.m4a");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().description().find("a.m4a"), std::string::npos);
}
