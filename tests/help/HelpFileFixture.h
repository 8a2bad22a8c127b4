// Writes help files for the reader tests into a sandbox folder.
#pragma once

#include <TestSupport.h>

#include <xmlParser.h>
#include <xmlTag.h>

#include <gtest/gtest.h>

#include <string>

class HelpFileTest : public ::testing::Test {
protected:
    // Writes text as a file and opens parser on it.
    void Load(const std::string& text)
    {
        const auto path = fDir / ("help" + std::to_string(fCount++) + ".help");
        ondelle::test::WriteFileBytes(path, text);
        ASSERT_TRUE(fParser.Open(path.c_str()));
    }

    // The i-th child of tag (0-based), or null.
    static xmlTag* Child(xmlTag& tag, int32 index)
    {
        if (index >= tag.Children().Size())
            return nullptr;
        return tag.Children().Get(index);
    }

    static std::string Text(const LibString& text)
    {
        const char* data = text;
        return data != nullptr ? data : "";
    }

    static std::string Attribute(const xmlTag& tag, const char* name, int32 index = 0)
    {
        const char* value = nullptr;
        if (tag.Modifiers().FindString(name, index, &value) != B_OK || value == nullptr)
            return "<none>";
        return value;
    }

    ondelle::test::TempDir fDir;
    xmlParser fParser;
    int fCount = 0;
};
