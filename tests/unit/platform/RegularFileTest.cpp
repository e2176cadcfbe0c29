#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/audio/MusicFile.h"
#include "platform/picture/PictureDecoder.h"
#include "platform/posix/RegularFile.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using testing_support::TestSandbox;

TEST(RegularFileTest, ReadsPlainFilesAndRefusesFifosFoldersAndOversizeWithoutBlocking) {
  TestSandbox box;
  const std::string plain = box.Path("home/a.wav");
  TestSandbox::WriteBytes(plain, "RIFF1234");
  std::string why;
  const auto bytes = platform::ReadRegularFile(plain, 8, &why);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "RIFF1234");
  EXPECT_FALSE(platform::ReadRegularFile(plain, 7, &why));
  EXPECT_EQ(why, "too large");

  // A FIFO with no writer would hold a plain open() forever; each reader refuses it at once.
  const std::string fifo = box.Path("home/fifo.jpg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(platform::ReadRegularFile(fifo, 1 << 20, &why));
  EXPECT_EQ(why, "not a regular file");
  EXPECT_FALSE(platform::OpenRegularFile(fifo).Valid());
  EXPECT_FALSE(platform::ReadWholeFile(fifo.c_str()));
  const auto picture = platform::DecodePicture(fifo);
  ASSERT_FALSE(picture);
  EXPECT_NE(picture.error().find("not a regular file"), std::string::npos) << picture.error();

  EXPECT_FALSE(platform::ReadRegularFile(box.Path("home"), 1 << 20, &why));
  EXPECT_FALSE(platform::ReadRegularFile(box.Path("home/missing.jpg"), 1 << 20, &why));
  EXPECT_EQ(why, "No such file or directory");
}

}  // namespace
