#include "platform/Printer.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tolv;

TEST(Printer, LineFlowStayItemsAndNumberItems)
{
    std::ostringstream out;
    PrintLog p(out);
    p.setFont("ＭＳ 明朝", 12);
    p.currentY = 1000;
    p.printAt(100, "番号", false); // 4 bytes at 12 pt = 480 twips
    p.print("ab", false);
    p.printNumber(-5, false);
    p.printNumber(42);
    p.print("");
    p.printAt(8000, "x");
    p.line(0, 10, 100, 10, 2);
    p.box(1, 2, 3, 4);
    p.newPage();
    p.print("p2");
    p.endDoc();
    EXPECT_EQ(out.str(), "font\tＭＳ 明朝\t12\n"
                         "text\t100\t1000\t番号\n"
                         "text\t580\t1000\tab\n"
                         "text\t820\t1000\t-5 \n"
                         "text\t1180\t1000\t 42 \n"
                         "text\t8000\t1480\tx\n"
                         "line\t0\t10\t100\t10\t2\n"
                         "box\t1\t2\t3\t4\t1\n"
                         "page\n"
                         "text\t0\t0\tp2\n"
                         "end\n");
    EXPECT_EQ(Printer::numberItem(0), " 0 ");
}
