#include "preview/test_panel.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace {

// Written out in full, independently of how the program assembles it.
constexpr std::u16string_view kExpectedPanel =
    u"<div style=\"position:absolute;left:0;top:0;padding:7px;border:2px groove "
    u"red;font-family:tahoma;font-size:9;line-height:1.7;\">تست برگه\u200cها"
    u"<br><a href=\"javascript:ld(1,7);\" title=\"صفحه نخست\">برگه اول</a>"
    u"<br><a href=\"javascript:ld(2,7);\" title=\"نمايش تصوير\">برگه دوم</a>"
    u"<br><a href=\"javascript:ld(3,7);\" title=\"پخش فيلم\">برگه سوم</a>"
    u"<br><a href=\"javascript:ld(4,7);\" title=\"پخش صوت\">برگه چهارم</a>"
    u"<br><a href=\"javascript:ld(5,7);\" title=\"نمايش فلش\">برگه پنجم</a>"
    u"<br><a href=\"javascript:ld(6,7);\" title=\"متن كامل، بايگاني، "
    u"فهرست\u200cها و هر نوع اطلاعات ديگر (عمومي)\u200f\">برگه ششم</a>"
    u"<br><a href=\"javascript:ld(7,7);\" title=\"تماس با ما\">برگه هفتم</a>"
    u"<br><a href=\"javascript:sp();\" title=\"نمايش پيام\u200cهايي كه از سرور "
    u"براي كاربر ارسال مي\u200cشود\">تست پيام</a></div>";

constexpr std::u16string_view kExpectedScript =
    u"<script>"
    u"document.getElementById('FPdat').innerHTML='1388/1/2';"
    u"document.getElementById('FPtit').innerHTML='عنوان تصوير در حالت نمايش كامل';"
    u"document.getElementById('FMdat').innerHTML='1388/1/3';"
    u"document.getElementById('FMtit').innerHTML='عنوان فيلم در حال نمايش كامل';"
    u"document.getElementById('FSdat').innerHTML='1388/1/4';"
    u"document.getElementById('FStit').innerHTML='عنوان صوتي كه در حال نمايش كامل است';"
    u"document.getElementById('FFdat').innerHTML='1388/1/5';"
    u"document.getElementById('FFtit').innerHTML='عنوان فلش در حال نمايش كامل';"
    u"document.getElementById('Tpart').innerHTML='عنوان صفحه (بايگاني يا متن كامل "
    u"يا فهرست نوشته\u200cها)\u200f';"
    u"document.getElementById('Tlist').innerHTML='متن يا فهرستي كه در اين بخش نمايش "
    u"داده خواهد شد.';"
    u"document.getElementById('payam').innerHTML='اين پيامي است كه از سوي سرور "
    u"ارسال شده است!';"
    u"function sp(){document.getElementById('payam').style.display='';"
    u"setTimeout('document.getElementById(\\'payam\\').style.display=\\'none\\';'"
    u",7000);}"
    u"</script>";

}  // namespace

TEST(TestPanelTest, AppendedTextIsPanelThenScript) {
  EXPECT_EQ(kExpectedPanel.size(), 746u);
  EXPECT_EQ(kExpectedScript.size(), 960u);
  const std::u16string text = TestPanelText();
  EXPECT_EQ(text.size(), 1706u);
  EXPECT_EQ(text.substr(0, 746), kExpectedPanel);
  EXPECT_EQ(text.substr(746), kExpectedScript);
}

TEST(TestPanelTest, AppendsDirectlyBehindThePage) {
  const PageText panel = Cp1256(TestPanelText());
  EXPECT_EQ(AppendTestPanel("").page, panel);
  const PageText page = "<html><body>x</body></html>\r\n";
  EXPECT_EQ(AppendTestPanel(page).page, page + panel);
  // Not past the limit, even by the panel's length.
  EXPECT_EQ(AppendTestPanel(page, page.size() + panel.size()).fault, PageFault::kNone);
  EXPECT_EQ(AppendTestPanel(page, page.size() + panel.size() - 1).fault,
            PageFault::kTooLarge);
}

TEST(TestPanelTest, AddsNoTag) {
  EXPECT_EQ(TestPanelText().find(u"<#"), std::u16string::npos);
}
