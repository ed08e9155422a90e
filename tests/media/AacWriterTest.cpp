// Writing a playable file is covered by the importer's tests; a failing
// close, by the recorder core's.
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
