// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword files' token scanner: in place, destructive, bounded only by
// the end position, "//" comments only where a token could start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/CParser.h"

namespace {

// The text followed by the zero bytes the readers keep after a file.
struct Buffer {
    explicit Buffer(const std::string& text) : bytes(text.begin(), text.end())
    {
        bytes.resize(text.size() + CParser::kPadding, '\0');
        end = bytes.data() + text.size();
    }
    char* Start() { return bytes.data(); }
    std::vector<char> bytes;
    char* end;
};

// Every token from the start, each scan resuming after the token before.
std::vector<std::string> AllTokens(const std::string& text)
{
    Buffer buffer(text);
    CParser parser;
    std::vector<std::string> tokens;
    char* p = buffer.Start();
    while (char* token = parser.NextToken(p, buffer.end)) {
        EXPECT_EQ(parser.GetTokenLength(), std::string(token).size());
        tokens.emplace_back(token);
        p = token + parser.GetTokenLength();
    }
    EXPECT_EQ(parser.GetTokenLength(), 0u);
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(ParserTest, ASettingsLineGivesTheKeyThenTheValueThenNothing)
{
    Buffer buffer("NumRunForWeb 5\n");
    CParser parser;
    char* key = parser.NextToken(buffer.Start(), buffer.end);
    ASSERT_NE(key, nullptr);
    EXPECT_STREQ(key, "NumRunForWeb");
    EXPECT_EQ(parser.GetTokenLength(), 12u);
    EXPECT_EQ(buffer.bytes[12], '\0') << "the separator after a token is overwritten";
    char* value = parser.NextToken(key + 12, buffer.end);
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "5");
    EXPECT_EQ(parser.GetTokenLength(), 1u);
    EXPECT_EQ(parser.NextToken(value + 1, buffer.end), nullptr);
    EXPECT_EQ(parser.GetTokenLength(), 0u);
}

TEST(ParserTest, CommentLinesAndLeadingSpaceAreSkipped)
{
    EXPECT_EQ(AllTokens("  // a comment with Group 7 in it\nGroup 3"), (Tokens{"Group", "3"}));
    EXPECT_EQ(AllTokens("//\n//\r\nBorder 1"), (Tokens{"Border", "1"}));
}

TEST(ParserTest, ACommentStartsOnlyWhereATokenCould)
{
    EXPECT_EQ(AllTokens("a//b c"), (Tokens{"a//b", "c"}));
    EXPECT_EQ(AllTokens("a //b c\nd"), (Tokens{"a", "d"}));
    EXPECT_EQ(AllTokens("/ x"), (Tokens{"/", "x"}));
    EXPECT_EQ(AllTokens("x /"), (Tokens{"x", "/"}));
}

TEST(ParserTest, AFileEndingInsideACommentHasNoMoreTokens)
{
    EXPECT_EQ(AllTokens("Border 1 // no line feed after this"), (Tokens{"Border", "1"}));
    EXPECT_EQ(AllTokens("//"), Tokens{});
}

TEST(ParserTest, DoubleQuotesSeparateAndVanish)
{
    EXPECT_EQ(AllTokens("\"my picture\""), (Tokens{"my", "picture"}));
    EXPECT_EQ(AllTokens("a\"b"), (Tokens{"a", "b"}));
}

TEST(ParserTest, AnEmptyBufferOrAStartAtTheEndGivesNothing)
{
    Buffer empty("");
    CParser parser;
    EXPECT_EQ(parser.NextToken(empty.Start(), empty.end), nullptr);
    EXPECT_EQ(parser.GetTokenLength(), 0u);
    Buffer text("abc");
    EXPECT_EQ(parser.NextToken(text.end, text.end), nullptr);
    EXPECT_EQ(parser.NextToken(text.end + 1, text.end), nullptr);
    EXPECT_EQ(AllTokens(" \t\r\n\"  "), Tokens{});
}

TEST(ParserTest, TabsCarriageReturnsAndLineFeedsSeparateLikeSpaces)
{
    const Tokens expected{"NumberOfPiecesX", "4", "NumberOfPiecesY", "4"};
    EXPECT_EQ(AllTokens("NumberOfPiecesX 4\r\nNumberOfPiecesY 4\r\n"), expected);
    EXPECT_EQ(AllTokens("NumberOfPiecesX\t4\nNumberOfPiecesY\r4"), expected);
}

// The zero byte at the end ends the last token of a file without a final
// line end; a zero byte inside the text separates like white space.
TEST(ParserTest, TheEndPositionIsTheOnlyBound)
{
    EXPECT_EQ(AllTokens("last"), Tokens{"last"});
    EXPECT_EQ(AllTokens(std::string("a\0b", 3)), (Tokens{"a", "b"}));

    // Text beyond the end position is never read nor handed out, even without
    // a zero there: a token that reaches the end position ends there.
    std::vector<char> bytes{'a', ' ', 'b', 'c', 'd', '\0'};
    CParser parser;
    char* first = parser.NextToken(bytes.data(), bytes.data() + 2);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "a");
    EXPECT_EQ(parser.NextToken(first + 1, bytes.data() + 2), nullptr);
    EXPECT_EQ(parser.GetTokenLength(), 0u);
    char* cut = parser.NextToken(bytes.data() + 2, bytes.data() + 4);
    ASSERT_NE(cut, nullptr);
    EXPECT_STREQ(cut, "bc");
    EXPECT_EQ(parser.GetTokenLength(), 2u);

    // White space or a comment running into the end position ends the text
    // without a look at the byte there (the sanitizer build would see one).
    std::vector<char> space{'a', ' '};
    EXPECT_EQ(parser.NextToken(space.data() + 1, space.data() + 2), nullptr);
    std::vector<char> comment{'/', '/', 'x'};
    EXPECT_EQ(parser.NextToken(comment.data(), comment.data() + 3), nullptr);
}

}  // namespace
