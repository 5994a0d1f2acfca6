// The blocker script as pages get it: smaller, and the same program.
#include "proxy/script_compaction.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "proxy/page_injection.h"

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
        // After the ")" of a condition a statement starts, so a "/" opens a literal there.
        {"if (x) /a b/.test(y) && f();", "if(x)/a b/.test(y)&&f();"},
        {"while (/ b /.test(s)) n = (a) / 2 / f(x);", "while(/ b /.test(s))n=(a)/2/f(x);"},
        // Templates are copied whole, their "${...}" parts and the templates inside them too.
        {"t = `a ${ b + `c ${ d }` } e`  + 1;", "t=`a ${ b + `c ${ d }` } e`+1;"},
        {"t = `x ${ '}' } // y` + z;", "t=`x ${ '}' } // y`+z;"},
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
        {"f(a,\n  b\n);\n{\n  g();\n}\n", "f(a,b);{g()}"},
        {"a = 1 /* one\nline */ b = 2", "a=1\nb=2"},
        // A ";" before "}" goes, unless it is the empty body of a condition, else, do or a label.
        {"if (a) { b(); }", "if(a){b()}"},
        {"{ if (a) ; }{ for (;;) ; }{ while (b) ; }", "{if(a);}{for(;;);}{while(b);}"},
        {"{ if (a) b(); else ; }{ do ; while (c); }{ d: ; }",
         "{if(a)b();else;}{do;while(c);}{d:;}"},
        {"x = { a: function () { return; } };", "x={a:function(){return}};"},
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

// Names declared inside functions get short ones; what else can see a name keeps it.
TEST(ScriptCompaction, ShortensTheNamesOfFunctionsLocals) {
    const std::pair<std::string, std::string> cases[] = {
        // Each scope hands out names of its own; an inner one does not take a name it sees from
        // outside, nor one the code uses without declaring it.
        {"(function (win, doc) { var title = doc.title;\n"
         "  function show(text) { win.alert(text + title); } show(1); })(window, document);",
         "(function(d,a){var c=a.title;function b(a){d.alert(a+c)}b(1)})(window,document);"},
        {"function outer(first) { var count = 1;\n"
         "  function inner(value) { return value + count; } return inner(first); }",
         "function outer(b){var a=1;function c(b){return b+a}return c(b)}"},
        {"function f(longName) { return a + longName; }", "function f(b){return a+b}"},
        // Names of the outermost level are the page's too; they stay.
        {"var longName = 1; function longFunction(parameter) { return longName; }",
         "var longName=1;function longFunction(a){return longName}"},
        // Properties and keys are not names of the scope; a ternary's ":" is no key.
        {"function f(value) { return { value: value, other: x.value, 'quoted': value ? value : 1 "
         "}; }",
         "function f(a){return{value:a,other:x.value,'quoted':a?a:1}}"},
        {"function f(a, b, c) { switch (a) { case b: return c ? { x: 1 } : { y: 2 };\n"
         "  default: { var longName = a; } } return longName; }",
         "function f(a,b,c){switch(a){case b:return c?{x:1}:{y:2};default:{var d=a}}return d}"},
        // A catch parameter belongs to its block; var names to the whole function, used before
        // they are declared or not, in a for-in head, after an "in" operator, inside a function
        // expression of their own.
        {"function f(error) { try { g(); } catch (problem) { h(problem, error); } }",
         "function f(a){try{g()}catch(b){h(b,a)}}"},
        // Old Internet Explorer puts a catch parameter in the function's scope: it takes no name
        // of the function nor of a catch around it, and at the outermost level it stays.
        {"function f(first, second) {\n  try { g(); } catch (problem) { h(problem); }"
         " return first + second; }",
         "function f(a,b){try{g()}catch(c){h(c)}return a+b}"},
        {"function f() { try { g(); } catch (outer) {\n"
         "  try { g(); } catch (inner) { h(inner); } h(outer); } }",
         "function f(){try{g()}catch(a){try{g()}catch(b){h(b)}h(a)}}"},
        {"try { g(); } catch (problem) { h(problem); }", "try{g()}catch(problem){h(problem)}"},
        {"function f() { g(total); var total = 1; }", "function f(){g(a);var a=1}"},
        {"function f(object) { for (var key in object) g(key); }",
         "function f(b){for(var a in b)g(a)}"},
        {"function f(object) { var has = 'k' in object, other = 2; return other + has; }",
         "function f(b){var a='k'in b,c=2;return c+a}"},
        {"function f(longName) { var inner = function (x) { var deeper = x; return deeper; },\n"
         "  second = inner; return second(longName); }",
         "function f(b){var a=function(x){var a=x;return a},c=a;return c(b)}"},
        // The placeholder stays the one "%s"; a name "s" right after a "%" keeps the code as it is.
        {"function f(parameter) { try { x.src = ''; %s } catch (e) {} return parameter; }",
         "function f(a){try{x.src='';%s}catch(e){}return a}"},
        {"function f(s, longName) { return longName %s; }",
         "function f(s,longName){return longName%s}"},
    };
    for (const auto& [code, compact] : cases) {
        EXPECT_EQ(CompactScript(code), compact) << code;
    }
}

// Where the scope of a name is not certain every name stays as it is.
TEST(ScriptCompaction, KeepsEveryNameWhereItsScopeIsUncertain) {
    const char* const cases[] = {
        "function f(longName) { with (o) { return longName; } }",
        "function f(longName) { return eval('longName'); }",
        "function f(longName) { let other = 1; return longName; }",
        "function f(longName) { return [1].map(x => x + longName); }",
        "function f(longName) { return `${longName}`; }",
        "function f(longName) { return g(...longName); }",
        "function f(longName) { return a?.b + longName; }",
        "function f(longName) { loop: for (;;) { break loop; } return longName; }",
        "function f(longName) { return { longName }; }",
        "function f(longName) { return { get value() { return longName; } }; }",
        "function f(longName) { return { value() { return longName; } }; }",
        "var f = function named(longName) { return longName; };",
        "function f(longName) { if (longName) { function inner() {} } }",
        "function f(longName = 1) { return longName; }",
        "function f(longName) { var other = longName\n  + 1; return other; }",
        "function f(longName) { try {} catch (problem) { var problem = longName; } }",
        "function f(longName) { return (longName; }",
    };
    for (const char* code : cases) {
        EXPECT_NE(CompactScript(code).find("longName"), std::string::npos) << code;
    }
}

std::string ShippedScript() {
    std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind("tests/native/")) + "data/KorvoBlk.js",
                     std::ios::binary);
    std::ostringstream file;
    file << in.rdbuf();
    return file.str();
}

// What every page carries: the compacted file with the sound statement of an installation in
// the usual folder, or its two blanks.
TEST(ScriptCompaction, ThePreparedScriptStaysWithinTwelveThousandBytes) {
    const std::string file = ShippedScript();
    const std::string compact = CompactScript(file);
    const std::string wav = "C:\\Program Files\\Korvo Popup Killer\\PopUp.wav";
    for (const bool playWave : {false, true}) {
        const std::string sent = proxy::PrepareScriptText(compact, playWave, wav);
        const char* const mode = playWave ? "sound on" : "sound off";
        std::cout << "KorvoBlk.js: " << file.size() << " bytes in the file, " << sent.size()
                  << " sent (" << mode << ")\n";
        EXPECT_LE(sent.size(), 12000u) << mode;
    }
}

// A script cut anywhere (an open literal, comment, template or bracket) is still compacted
// without reading past its end, and the cut script keeps every name where its end is unclear.
TEST(ScriptCompaction, ACutScriptIsCompactedToo) {
    const std::string script = ShippedScript();
    for (size_t length = 0; length < script.size(); length += 97) {
        const std::string compact = CompactScript(script.substr(0, length));
        EXPECT_LE(compact.size(), length);
    }
    const std::string cuts[] = {"function f(longName) { g('a", "function f(longName) { g(`a ${",
                                "function f(longName) { g(/a", "function f(longName) { /* a",
                                "function f(longName) { g("};
    for (const std::string& cut : cuts) {
        EXPECT_NE(CompactScript(cut).find("longName"), std::string::npos) << cut;
    }
}

TEST(ScriptCompaction, TheShippedScriptShrinksAndKeepsItsParts) {
    const std::string script = ShippedScript();
    ASSERT_GT(script.size(), 10000u);
    const std::string compact = CompactScript(script);
    EXPECT_LT(compact.size(), script.size() / 2);
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
