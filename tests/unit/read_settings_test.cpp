#include <gtest/gtest.h>

#include <string>

#include "settings/read_settings.hpp"

namespace drosk {
namespace {

std::string refusal(std::string_view text) {
  return parse_settings(text).error;
}

Settings accepted(std::string_view text) {
  parsed_settings parsed = parse_settings(text);
  EXPECT_EQ(parsed.error, "");
  return parsed.settings;
}

TEST(ParseSettings, ValuesAreTakenVerbatim) {
  Settings s = accepted("# comment\npreprocess=pp.bat \"x\"\nsource= src \nbuild=\njavac=");
  EXPECT_EQ(s.preprocess, "pp.bat \"x\"");
  EXPECT_EQ(s.source, " src ");
  EXPECT_EQ(s.build, "");
  EXPECT_EQ(s.javac, "");  // given empty, not the default
  // Keys tried in order: a value may hold another key's text.
  EXPECT_EQ(accepted("source=build=x\nbuild=source=y\npreprocess=p\n").source, "build=x");
}

TEST(ParseSettings, JavacDefaultsToJavac) {
  EXPECT_EQ(accepted("preprocess=p\nsource=s\nbuild=b\n").javac, "javac");
}

TEST(ParseSettings, MissingKeysAreReportedTogetherInFixedOrder) {
  EXPECT_EQ(refusal(""),
            "drosk.ini: preprocess=NULL\ndrosk.ini: build=NULL\ndrosk.ini: source=NULL\n");
  EXPECT_EQ(refusal("javac=j\nbuild=b\n"), "drosk.ini: preprocess=NULL\ndrosk.ini: source=NULL\n");
  EXPECT_EQ(refusal("preprocess=p\nsource=s"), "drosk.ini: build=NULL\n");
}

TEST(ParseSettings, BadLinesCarryTheirNumber) {
  EXPECT_EQ(refusal("preprocess=p\n# c\n\nsource=s\n"), "drosk.ini:3: Error");
  EXPECT_EQ(refusal("preprocess=p\n   \n"), "drosk.ini:2: Error");
  EXPECT_EQ(refusal("Source=src\n"), "drosk.ini:1: Error");
  EXPECT_EQ(refusal("source =src\n"), "drosk.ini:1: Error");
  EXPECT_EQ(refusal(" #not a comment\n"), "drosk.ini:1: Error");
  EXPECT_EQ(refusal("\n"), "drosk.ini:1: Error");
  // A bad line stops the reading before missing keys are looked for.
  EXPECT_EQ(refusal("x\n"), "drosk.ini:1: Error");
}

TEST(ParseSettings, RepeatedKeyIsAnError) {
  EXPECT_EQ(refusal("preprocess=p\nsource=a\n#\n#\n#\n#\nsource=a\nbuild=b\n"),
            "drosk.ini:7: Error");
  EXPECT_EQ(refusal("javac=\njavac=\n"), "drosk.ini:2: Error");
}

TEST(ParseSettings, LongLinesAreReadInPiecesOf16383) {
  std::string exact = "source=" + std::string(16383 - 7, 'x');
  // The line end comes as a piece of its own, which is then empty.
  EXPECT_EQ(refusal("preprocess=p\n" + exact + "\nbuild=b\n"), "drosk.ini:3: Error");
  std::string shorter = "source=" + std::string(16382 - 7, 'x');
  EXPECT_EQ(accepted("preprocess=p\n" + shorter + "\nbuild=b\n").source.size(), 16382u - 7);
  // The second piece of a longer line is judged as a line of its own.
  std::string longer = "source=" + std::string(16383 - 7, 'x') + "build=b";
  Settings s = accepted("preprocess=p\n" + longer + "\n");
  EXPECT_EQ(s.build, "b");
  EXPECT_EQ(s.source.size(), 16383u - 7);
  // The same line at the very end of the file, with no line end: no empty piece follows.
  EXPECT_EQ(accepted("preprocess=p\nbuild=b\n" + exact).source.size(), 16383u - 7);
}

}  // namespace
}  // namespace drosk
