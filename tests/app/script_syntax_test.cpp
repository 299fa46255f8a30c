#include "app/script_syntax.h"

#include <gtest/gtest.h>

#include "core/control_names.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

ScriptCommand Ok(std::string_view line) {
  ScriptLineResult r = ParseScriptLine(line);
  EXPECT_TRUE(r.ok) << line << ": " << r.error;
  return r.command;
}

std::string Refused(std::string_view line) {
  ScriptLineResult r = ParseScriptLine(line);
  EXPECT_FALSE(r.ok) << line;
  EXPECT_FALSE(r.skip) << line;
  return r.error;
}

TEST(ScriptLineTest, BlankLinesAndCommentsAreSkipped) {
  EXPECT_TRUE(ParseScriptLine("").skip);
  EXPECT_TRUE(ParseScriptLine("\r").skip);
  EXPECT_TRUE(ParseScriptLine("# click 按钮转网页").skip);
}

TEST(ScriptLineTest, EveryCommandWithItsArguments) {
  EXPECT_EQ(Ok("page CHM制作").control, "CHM制作");
  EXPECT_EQ(Ok("choose 单选框TXT2HTMb").verb, ScriptVerb::kChoose);
  EXPECT_EQ(Ok("tick 选择框自动换行").verb, ScriptVerb::kTick);
  EXPECT_EQ(Ok("untick 选择框不建目录").verb, ScriptVerb::kUntick);
  EXPECT_EQ(Ok("click 按钮转网页\r").control, controls::kBookConvertButton);
  EXPECT_EQ(Ok("select -1").number, -1);
  EXPECT_EQ(Ok("select 12").number, 12);
  EXPECT_EQ(Ok("wait 1500").number, 1500);
  EXPECT_EQ(Ok("key 编辑框11 Esc").key, ScriptKey::kEsc);
  EXPECT_EQ(Ok("key 按钮过滤 Enter").key, ScriptKey::kEnter);
  EXPECT_EQ(Ok("show 时钟1").kind, ControlKind::kTimer);
  EXPECT_EQ(Ok("show 树型框1").kind, ControlKind::kTreeBox);
  EXPECT_EQ(Ok("tree").verb, ScriptVerb::kTree);
  EXPECT_EQ(Ok("state").verb, ScriptVerb::kState);
}

TEST(ScriptLineTest, TypeTakesTheRestOfTheLineAsGbk) {
  ScriptCommand c = Ok("type 编辑框11 第一行\\r\\n two  spaces \\\\ \\x80");
  EXPECT_EQ(c.text, Gbk("第一行") + "\r\n two  spaces \\ \x80");
  EXPECT_EQ(Ok("type 编辑框1 ").text, "");
  EXPECT_EQ(Ok("type 编辑框1").text, "");
  // No GBK form: kept as typing keeps it.
  EXPECT_EQ(Ok("type 编辑框1 \xF0\x9F\x98\x80").text, TextFromWindow("\xF0\x9F\x98\x80"));
}

TEST(ScriptLineTest, DropPathsAreFileSystemBytesSeparatedByTabs) {
  ScriptCommand c = Ok("drop 编辑框1 /书/a b\\t/c\\x41");
  EXPECT_EQ(c.paths, (std::vector<std::string>{"/书/a b", "/cA"}));
  EXPECT_NE(Refused("drop 编辑框1 /a\\t").find("empty path"), std::string::npos);
  Refused("drop 编辑框1");
  Refused("drop 编辑框1 ");
}

TEST(ScriptLineTest, UnknownCommandsAndControls) {
  EXPECT_EQ(Refused("press 按钮转网页"), "unknown command \"press\"");
  EXPECT_EQ(Refused("click 按钮不存在"), "unknown control \"按钮不存在\"");
  // One space separates: the control name is the rest of the line.
  EXPECT_EQ(Refused("click  按钮转网页"), "unknown control \" 按钮转网页\"");
  Refused("show 编辑框1 extra");
  Refused("page 首页");
}

TEST(ScriptLineTest, ControlsOfTheWrongType) {
  EXPECT_NE(Refused("click 选择框不建目录").find("is a check box"), std::string::npos);
  Refused("tick 单选框TXT2HTMa");
  Refused("choose 选择框自动加花");
  Refused("type 按钮转网页 x");
  Refused("show 标签4");
  Refused("show 选择夹1");
  Refused("drop 时钟1 /a");
  Refused("drop 拖放对象2 /a");
  Refused("key 时钟1 Esc");
}

TEST(ScriptLineTest, WrongArguments) {
  Refused("select x");
  Refused("select -2");
  Refused("wait -5");
  Refused("wait 1s");
  Refused("key 编辑框1 Tab");
  Refused("key 编辑框1");
  Refused("tree 1");
  Refused("state now");
  Refused("show");
  EXPECT_NE(Refused("type 编辑框1 a\\q").find("unknown escape"), std::string::npos);
  Refused("type 编辑框1 \\x4");
  Refused("type 编辑框1 \\xZZ");
  Refused("type 编辑框1 ends with \\");
}

TEST(ScriptOutputTest, GbkTextsAreShownAsUtf8WithEscapes) {
  EXPECT_EQ(FormatScriptText(Gbk("目录：a")), "目录：a");
  EXPECT_EQ(FormatScriptText("a\r\nb\tc\\d"), "a\\r\\nb\\tc\\\\d");
  EXPECT_EQ(FormatScriptText("\x01\x7F"), "\\x01\\x7F");
  // A lead byte at the end, a lead byte before a byte that cannot follow
  // it, the euro byte of code page 936 and the name escape byte.
  EXPECT_EQ(FormatScriptText("ab\xB0"), "ab\\xB0");
  EXPECT_EQ(FormatScriptText("\xB0\x30z"), "\\xB00z");
  EXPECT_EQ(FormatScriptText("\x80"
                             "A"),
            "\\x80A");
  EXPECT_EQ(FormatScriptText("\xFF\xB0\xA1"), "\\xFF啊");
}

TEST(ScriptOutputTest, DecodedTextsPrintBackTheSame) {
  std::string decoded, error;
  ASSERT_TRUE(DecodeScriptText("中文\\r\\n\\t\\\\\\xB0", true, &decoded, &error));
  EXPECT_EQ(FormatScriptText(decoded), "中文\\r\\n\\t\\\\\\xB0");
}

}  // namespace
}  // namespace qm
