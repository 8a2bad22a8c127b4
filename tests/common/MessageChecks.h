// Checks for flattened messages found in real files, shared by the test
// programs that meet them (plain message files, messages inside resources).
// Header-only: include it from a test program that links the app kit.
#pragma once

#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace ondelle::test {

// Where a flattened message starts in bytes: 0 when the bytes start with a
// message magic, 4 when they start with "IMSG" and a message follows (the
// vector icon editor's files), -1 otherwise.
inline long FlattenedMessageOffset(const std::string& bytes)
{
    auto isMagic = [&](size_t at) {
        if (bytes.size() < at + 4)
            return false;
        const char* p = bytes.data() + at;
        return memcmp(p, "1BOF", 4) == 0 || memcmp(p, "FOB1", 4) == 0
            || memcmp(p, "HMF1", 4) == 0 || memcmp(p, "1FMH", 4) == 0
            || memcmp(p, "2BOF", 4) == 0 || memcmp(p, "FOB2", 4) == 0;
    };
    if (isMagic(0))
        return 0;
    if (bytes.size() >= 8 && memcmp(bytes.data(), "IMSG", 4) == 0 && isMagic(4))
        return 4;
    return -1;
}

// A flattened message from a real file must unflatten, print, and survive
// Flatten + Unflatten unchanged (deep comparison, field order kept); the
// second flattening must give the same bytes as the first.
inline void CheckFlattenedMessage(const char* data, size_t size, const std::string& label)
{
    SCOPED_TRACE(label);
    BMessage message;
    ASSERT_EQ(message.Unflatten(data, ssize_t(size)), B_OK);

    std::ostringstream dump;
    message.PrintToStream(dump);
    EXPECT_NE(dump.str().find("BMessage("), std::string::npos);

    std::string flat;
    ASSERT_EQ(message.Flatten(&flat), B_OK);
    EXPECT_EQ(ssize_t(flat.size()), message.FlattenedSize());

    BMessage again;
    ASSERT_EQ(again.Unflatten(flat.data(), ssize_t(flat.size())), B_OK);
    EXPECT_TRUE(message.HasSameData(again, false, true));
    EXPECT_TRUE(again.HasSameData(message, false, true));

    std::string flatAgain;
    ASSERT_EQ(again.Flatten(&flatAgain), B_OK);
    EXPECT_EQ(flat, flatAgain);
}

// Damaged copies of a good flattened message (cut at many lengths, single
// bytes changed) must either be rejected, leaving the message empty, or
// read as some message that itself survives a round trip. Never a crash.
inline void CheckDamagedMessage(const std::string& good, const std::string& label)
{
    SCOPED_TRACE(label);
    auto check = [&](const std::string& bytes, const char* what, size_t where) {
        BMessage message(0x1234);
        message.AddInt32("stale", 1);
        status_t status = message.Unflatten(bytes.data(), ssize_t(bytes.size()));
        if (status != B_OK) {
            EXPECT_TRUE(message.IsEmpty()) << what << " at " << where;
            EXPECT_EQ(message.what, 0u) << what << " at " << where;
            return;
        }
        std::ostringstream dump;
        message.PrintToStream(dump);
        std::string flat;
        ASSERT_EQ(message.Flatten(&flat), B_OK) << what << " at " << where;
        BMessage again;
        ASSERT_EQ(again.Unflatten(flat.data(), ssize_t(flat.size())), B_OK)
            << what << " at " << where;
        EXPECT_TRUE(message.HasSameData(again)) << what << " at " << where;
    };

    // Every length of a short message; for long ones, a spread of lengths
    // plus all lengths around the header.
    size_t step = good.size() <= 600 ? 1 : good.size() / 300;
    for (size_t length = 0; length < good.size(); length += (length < 80 ? 1 : step))
        check(good.substr(0, length), "cut", length);

    size_t flipStep = good.size() <= 600 ? 1 : good.size() / 300;
    static const unsigned char kValues[] = {0x00, 0xff, 0x80, 0x7f};
    for (size_t at = 0; at < good.size(); at += flipStep) {
        for (unsigned char value : kValues) {
            std::string damaged = good;
            if (static_cast<unsigned char>(damaged[at]) == value)
                continue;
            damaged[at] = char(value);
            check(damaged, "byte changed", at);
        }
        std::string flipped = good;
        flipped[at] = char(flipped[at] ^ 0x01);
        check(flipped, "bit flipped", at);
    }
}

} // namespace ondelle::test
