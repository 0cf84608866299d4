#pragma once
// A test with a built plug-in loaded as a host loads it and a folder for the files it is given.
#include <gtest/gtest.h>

#include <string>

#include "common/stream/MediaFileStream.h"
#include "common/testing/HmaLibrary.h"
#include "common/testing/MpegFixtures.h"
#include "common/testing/TempDir.h"

namespace zanto::testkit {

struct PluginFixture : ::testing::Test {
    explicit PluginFixture(const char* plugin) : lib(plugin) {}

    TempDir dir;
    HmaLibrary lib;

    // The file name in the folder holding bytes (an empty file for none).
    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    // The plug-in's CanBeOpen answer for the file at path.
    int32_t CanBeOpen(const std::string& path) {
        CMediaFileStream s;
        EXPECT_TRUE(s.Open(path.c_str()));
        return lib.canBeOpen(&s);
    }
};

}  // namespace zanto::testkit
