// The content interpreter: its run, resources, page information, nested runs and the state stack
// it shares with the caller.

#include <gtest/gtest.h>

#include "InterpreterTestSupport.h"
#include "pdf/KXPDFConentParser.h"

using namespace kx;
using kx::test::PDFBuilder;
using kx::test::runContent;

TEST(KXPDFConentParser, OperatorTableHasEveryOperator) {
    KXPDFConentParser parser;
    const PDFOperatorTable& table = parser.operatorTable();
    EXPECT_EQ(table.size(), 69u);
    for (const char* op : {"BT", "'", "\"", "T*", "BDC", "SCN", "scn", "b*", "B*", "f*", "W*", "Do", "EI"})
        EXPECT_NE(table.find(op), nullptr) << op;
    for (const char* op : {"BI", "ID", "d0", "d1"}) EXPECT_EQ(table.find(op), nullptr) << op;
}

TEST(KXPDFConentParser, ScanCountersReadAllOnesAfterTheRun) {
    auto run = runContent("BT ET BT ET");
    ASSERT_TRUE(run->parser);
    EXPECT_EQ(run->parser->scanOperatorIndex_BegainText(), ~std::uint64_t{0});
    EXPECT_EQ(run->parser->scanOperatorIndex_ShowText(), ~std::uint64_t{0});
}

TEST(KXPDFConentParser, UnbalancedQInsideAFormCannotPopTheCallersStates) {
    // The form pops three times more than it pushes, then paints; the page paints after the Do
    // with the CTM it set before the Do.
    PDFBuilder b;
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Matrix [2 0 0 2 10 10]",
                           "Q Q Q 0 0 1 1 re f q q");
    auto run = runContent(b, "1 0 0 1 5 5 cm q /Fm1 Do 0 0 1 1 re f Q",
                          "<< /XObject << /Fm1 " + std::to_string(form) + " 0 R >> >>");
    ASSERT_TRUE(run->parser);
    ASSERT_EQ(run->recorder.paths.size(), 2u);
    // Inside the form, Q cannot go below the form's own starting state: CTM = form matrix x page CTM.
    EXPECT_EQ(run->recorder.paths[0].state.ctm(), (AffineTransform{2, 0, 0, 2, 15, 15}));
    EXPECT_EQ(run->recorder.paths[0].formDepth, 1);
    EXPECT_EQ(run->recorder.paths[1].state.ctm(), (AffineTransform{1, 0, 0, 1, 5, 5}));
    EXPECT_EQ(run->stack->depth(), 1u);
}
