#include <gtest/gtest.h>

#include "tools/scenepack/StoredNames.h"

namespace {

using scenesaver::scenepack::AssignStoredNames;
using scenesaver::scenepack::StoredNameRequest;
using scenesaver::scenepack::StoredNames;

scenesaver::package::ByteArray File(const std::string& text) {
  scenesaver::package::ByteArray data;
  data.present = true;
  data.bytes.assign(text.begin(), text.end());
  return data;
}

StoredNameRequest Picture(std::size_t scene, const std::string& name,
                          const scenesaver::package::ByteArray& data, bool chosen = false) {
  char stem[32];
  std::snprintf(stem, sizeof stem, "photo-%04zu", scene + 1);
  const std::string where = "scenes[" + std::to_string(scene) + "].picture";
  return {name, chosen, stem, where, where + "_name", &data};
}

TEST(StoredNames, OwnNamesAreKeptAndConvertedToTheCodePage) {
  const auto a = File("a"), b = File("b");
  const StoredNames names =
      AssignStoredNames({Picture(0, "a.jpg", a), Picture(1, "テスト.jpg", b)});
  ASSERT_EQ(names.error, "");
  ASSERT_EQ(names.names.size(), 2u);
  EXPECT_EQ(names.names[0], "a.jpg");
  EXPECT_EQ(names.names[1], "\x83\x65\x83\x58\x83\x67.jpg");
  EXPECT_TRUE(names.renamed.empty());
}

TEST(StoredNames, NamesOutsideTheCodePageAndSecondFilesOfANameGetStableNames) {
  const auto a = File("a"), b = File("b"), c = File("c"), d = File("d");
  const StoredNames names =
      AssignStoredNames({Picture(0, "IMG_0001.JPG", a), Picture(1, "IMG_0001.JPG", b),
                         Picture(2, "Café Ürlaub.jpg", c), Picture(3, "😀", d)});
  ASSERT_EQ(names.error, "");
  EXPECT_EQ(names.names[0], "IMG_0001.JPG");
  EXPECT_EQ(names.names[1], "photo-0002.jpg");  // the extension kept, lower-cased
  EXPECT_EQ(names.names[2], "photo-0003.jpg");
  EXPECT_EQ(names.names[3], "photo-0004");  // no extension to keep
  ASSERT_EQ(names.renamed.size(), 3u);
  EXPECT_NE(names.renamed[0].find("scenes[1].picture: 'IMG_0001.JPG' is stored as "
                                  "'photo-0002.jpg' (the name is taken by scenes[0].picture"),
            std::string::npos)
      << names.renamed[0];
  EXPECT_NE(names.renamed[1].find("cannot be written in code page 932"), std::string::npos);
  EXPECT_NE(names.renamed[1].find("scenes[2].picture_name chooses another"), std::string::npos);
  // The same input gives the same names: a rebuilt saver is the same file.
  EXPECT_EQ(AssignStoredNames({Picture(0, "IMG_0001.JPG", a), Picture(1, "IMG_0001.JPG", b),
                               Picture(2, "Café Ürlaub.jpg", c), Picture(3, "😀", d)})
                .names,
            names.names);
}

TEST(StoredNames, TheSameBytesShareOneNameAndAStableNameDodgesAFileSoNamed) {
  const auto a = File("a"), a_again = File("a"), b = File("b"), c = File("c");
  const StoredNames names =
      AssignStoredNames({Picture(0, "x.jpg", a), Picture(1, "x.jpg", a_again),
                         Picture(2, "photo-0004.png", b), Picture(3, "Ö.png", c)});
  ASSERT_EQ(names.error, "");
  EXPECT_EQ(names.names[1], "x.jpg");  // same bytes: stored once
  EXPECT_EQ(names.names[3], "photo-0004-2.png");
  EXPECT_EQ(names.renamed.size(), 1u);
}

TEST(StoredNames, AChosenNameIsUsedAsItIsOrTheBuildFailsNamingTheKey) {
  const auto a = File("a"), b = File("b");
  StoredNames names = AssignStoredNames({Picture(0, "a.jpg", a), Picture(1, "a.jpg", b, true)});
  EXPECT_EQ(names.error,
            "scenes[1].picture_name: stored name 'a.jpg' is also used by scenes[0].picture for a "
            "different file; choose another scenes[1].picture_name");
  names = AssignStoredNames({Picture(0, "😀.jpg", a, true)});
  EXPECT_EQ(names.error, "scenes[0].picture_name: '😀.jpg' cannot be written in code page 932");
  names = AssignStoredNames({Picture(0, "../x.jpg", a, true)});
  EXPECT_NE(names.error.find("not a plain file name"), std::string::npos);
  names = AssignStoredNames({Picture(0, "", a, true)});
  EXPECT_EQ(names.error, "scenes[0].picture_name: a file needs a non-empty stored name");
  // A name without a file is never extracted and cannot clash.
  const scenesaver::package::ByteArray absent;
  names = AssignStoredNames({Picture(0, "a.jpg", a), Picture(1, "a.jpg", absent, true)});
  EXPECT_EQ(names.error, "");
  EXPECT_EQ(names.names[1], "a.jpg");
}

TEST(StoredNames, WithExtensionReplacesOrAdds) {
  using scenesaver::scenepack::WithExtension;
  EXPECT_EQ(WithExtension("a.webp", ".jpg"), "a.jpg");
  EXPECT_EQ(WithExtension("a.b.tiff", ".png"), "a.b.png");
  EXPECT_EQ(WithExtension("noext", ".jpg"), "noext.jpg");
  EXPECT_EQ(WithExtension(".hidden", ".jpg"), ".hidden.jpg");
}

}  // namespace
