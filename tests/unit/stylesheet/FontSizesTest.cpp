#include <gtest/gtest.h>

#include "manuscript/FontSizes.h"

using namespace quillary::manuscript;

namespace {
using Lines = std::vector<std::string>;

struct Case {
    const char* what;
    Lines rules, body, expected;
};

const std::string kLong(300, 'x');

}  // namespace

TEST(FontSizes, TheTextsOwnSizeIsTheReadersAndEverySizeKeepsItsProportion) {
    const Case cases[] = {
        {"a heading over ordinary text: the text is the reader's size, the heading twice it",
         {"p.p1 {margin: 0.0px; font: 24.0px 'Times New Roman'}", "p.p2 {text-indent: 18.0px; font: 12.0px Times}"},
         {"<p class=\"p1\"><b>Chapter</b></p>", "<p class=\"p2\">" + kLong + "</p>"},
         {"p.p1 {margin: 0.0px; font: 200% 'Times New Roman'}", "p.p2 {text-indent: 18.0px; font: 100% Times}"}},
        {"characters decide, not paragraphs: many short lines at 10 lose to one long line at 14",
         {"p.p1 {font: 10.0px Arial}", "p.p2 {font: 14.0px Arial}"},
         {"<p class=\"p1\">a</p>", "<p class=\"p1\">b</p>", "<p class=\"p1\">c</p>", "<p class=\"p2\">" + kLong + "</p>"},
         {"p.p1 {font: 71% Arial}", "p.p2 {font: 100% Arial}"}},
        {"tags and their attributes are not text",
         {"p.p1 {font: 10.0px Arial}", "p.p2 {font: 14.0px Arial}"},
         {"<p class=\"p1\"><span class=\"s1\" title=\"" + kLong + "\">ab</span></p>", "<p class=\"p2\">abc</p>"},
         {"p.p1 {font: 71% Arial}", "p.p2 {font: 100% Arial}"}},
        {"a run is measured against the block it stands in, as a percentage applies there",
         {"p.p1 {font: 16.0px Times}", "p.p2 {font: 12.0px Times}", "span.s1 {font: 12.0px Courier}"},
         {"<p class=\"p1\">Heading in <span class=\"s1\">code</span></p>", "<p class=\"p2\">" + kLong + "</p>"},
         {"p.p1 {font: 133% Times}", "p.p2 {font: 100% Times}", "span.s1 {font: 75% Courier}"}},
        {"headings of any source, fractional sizes included; list items and headings are blocks",
         {"h1.h1 {font: 15.5px Liberation}", "li.li1 {font: 12.0px Times}"},
         {"<h1 class=\"h1\">Part</h1>", "<li class=\"li1\">" + kLong + "</li>"},
         {"h1.h1 {font: 129% Liberation}", "li.li1 {font: 100% Times}"}},
        {"superscripts and subscripts at three quarters, with or without a size of their own",
         {"p.p1 {font: 12.0px Times}", "span.s1 {vertical-align: super}", "span.s2 {font: 12.0px Times; vertical-align: sub}"},
         {"<p class=\"p1\">E = mc<span class=\"s1\">2</span>, H<span class=\"s2\">2</span>O</p>"},
         {"p.p1 {font: 100% Times}", "span.s1 {vertical-align: super; font-size: 75%}",
          "span.s2 {font: 75% Times; vertical-align: sub}"}},
        {"without text the usual 12 points stand for the body; rules without a pixel size stay",
         {"p.p1 {font: 18.0px Times}", "p.p2 {font: bold 12.0px Times}", "p.p3 {font-size: 12.0px}", "td.td1 {}"},
         {},
         {"p.p1 {font: 150% Times}", "p.p2 {font: bold 12.0px Times}", "p.p3 {font-size: 12.0px}", "td.td1 {}"}},
    };
    for (const Case& test : cases) {
        Lines rules = test.rules;
        makeSizesRelative(rules, test.body);
        EXPECT_EQ(rules, test.expected) << test.what;
    }
}
