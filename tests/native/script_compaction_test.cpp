// The blocker script as pages get it: smaller, and the same program.
#include "proxy/script_compaction.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using proxy::CompactScript;

TEST(ScriptCompaction, RemovesOnlyWhatCannotChangeTheProgram) {
    const std::pair<std::string, std::string> cases[] = {
        {"  var a = 1;\n  /* note */\n  var b = a * 2; // twice\n", "var a=1;var b=a*2;"},
        // Literals are copied as they are, comment marks, blanks and quotes inside included.
        {"s = 'a /* b */ c' + \"d // e\";", "s='a /* b */ c'+\"d // e\";"},
        {"s = 'it\\'s  //'; t = \"\\\"  \";", "s='it\\'s  //';t=\"\\\"  \";"},
        {"r = / a+ [/ ]b /g.test(x);", "r=/ a+ [/ ]b /g.test(x);"},
        {"if (x) return / y /.exec(z);", "if(x)return/ y /.exec(z);"},
        // A "/" after a value divides, and blanks around it go.
        {"h = w / 2 / scale;", "h=w/2/scale;"},
        {"h = (a + b) / 2;", "h=(a+b)/2;"},
        // Names stay apart; operators that would join into others stay apart.
        {"var  x = typeof  y;", "var x=typeof y;"},
        {"a = b + +c - -d;", "a=b+ +c- -d;"},
        {"a = b + ++c;", "a=b+ ++c;"},
        // Nothing may read as an HTML comment or an end tag inside the page's script element.
        {"if (a < !b && c-- > d) e = f < /x/.source;", "if(a< !b&&c-- >d)e=f< /x/.source;"},
        // A line break stays where it may end a statement without a semicolon.
        {"return\nvalue;", "return\nvalue;"},
        {"a = b\n++c", "a=b\n++c"},
        {"x = 1\ny = 2\n", "x=1\ny=2"},
        {"f(a,\n  b\n);\n{\n  g();\n}\n", "f(a,b);{g();}"},
        {"a = 1 /* one\nline */ b = 2", "a=1\nb=2"},
        // The placeholder for the sound statement survives as it is.
        {"try { e.src = ''; %s } catch (x) {}", "try{e.src='';%s}catch(x){}"},
        // The element's tags are kept, what is inside is compacted.
        {"<script type=\"text/javascript\">\n  a = 1;\n</script>",
         "<script type=\"text/javascript\">a=1;</script>"},
    };
    for (const auto& [code, compact] : cases) {
        EXPECT_EQ(CompactScript(code), compact) << code;
    }
}

TEST(ScriptCompaction, TheShippedScriptShrinksAndKeepsItsParts) {
    std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind("tests/native/")) + "data/KorvoBlk.js",
                     std::ios::binary);
    std::ostringstream file;
    file << in.rdbuf();
    const std::string script = file.str();
    ASSERT_GT(script.size(), 10000u);
    const std::string compact = CompactScript(script);
    EXPECT_LT(compact.size(), script.size() * 2 / 3);
    EXPECT_EQ(compact.rfind("<script type=\"text/javascript\">", 0), 0u);
    EXPECT_EQ(compact.substr(compact.size() - 9), "</script>");
    EXPECT_NE(compact.find("'Korvo Popup Killer.kv Catch Another Popup'"), std::string::npos);
    EXPECT_EQ(compact.find("%s"), compact.rfind("%s"));
    EXPECT_NE(compact.find("%s"), std::string::npos);
    EXPECT_EQ(compact.find("/*"), std::string::npos);
    // Compacting again changes nothing: the result is already as small as these rules make it.
    EXPECT_EQ(CompactScript(compact), compact);
}

}  // namespace
