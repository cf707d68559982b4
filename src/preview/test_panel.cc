#include "preview/test_panel.h"

#include <array>

#include "text/codepage.h"

namespace {

struct PanelLink {
  std::u16string_view href;
  std::u16string_view title;
  std::u16string_view text;
};

constexpr std::array<PanelLink, 8> kLinks = {{
    {u"javascript:ld(1,7);", u"صفحه نخست", u"برگه اول"},
    {u"javascript:ld(2,7);", u"نمايش تصوير", u"برگه دوم"},
    {u"javascript:ld(3,7);", u"پخش فيلم", u"برگه سوم"},
    {u"javascript:ld(4,7);", u"پخش صوت", u"برگه چهارم"},
    {u"javascript:ld(5,7);", u"نمايش فلش", u"برگه پنجم"},
    {u"javascript:ld(6,7);",
     u"متن كامل، بايگاني، فهرست\u200cها و هر نوع اطلاعات ديگر (عمومي)\u200f",
     u"برگه ششم"},
    {u"javascript:ld(7,7);", u"تماس با ما", u"برگه هفتم"},
    {u"javascript:sp();",
     u"نمايش پيام\u200cهايي كه از سرور براي كاربر ارسال مي\u200cشود",
     u"تست پيام"},
}};

struct ScriptFill {
  std::u16string_view id;
  std::u16string_view text;
};

constexpr std::array<ScriptFill, 11> kFills = {{
    {u"FPdat", u"1388/1/2"},
    {u"FPtit", u"عنوان تصوير در حالت نمايش كامل"},
    {u"FMdat", u"1388/1/3"},
    {u"FMtit", u"عنوان فيلم در حال نمايش كامل"},
    {u"FSdat", u"1388/1/4"},
    {u"FStit", u"عنوان صوتي كه در حال نمايش كامل است"},
    {u"FFdat", u"1388/1/5"},
    {u"FFtit", u"عنوان فلش در حال نمايش كامل"},
    {u"Tpart", u"عنوان صفحه (بايگاني يا متن كامل يا فهرست نوشته\u200cها)\u200f"},
    {u"Tlist", u"متن يا فهرستي كه در اين بخش نمايش داده خواهد شد."},
    {u"payam", u"اين پيامي است كه از سوي سرور ارسال شده است!"},
}};

// Shows the message element and hides it again after seven seconds.
constexpr std::u16string_view kShowMessageFunction =
    u"function sp(){document.getElementById('payam').style.display='';"
    u"setTimeout('document.getElementById(\\'payam\\').style.display="
    u"\\'none\\';',7000);}";

}  // namespace

std::u16string TestPanelText() {
  std::u16string text =
      u"<div style=\"position:absolute;left:0;top:0;padding:7px;"
      u"border:2px groove red;font-family:tahoma;font-size:9;"
      u"line-height:1.7;\">تست برگه\u200cها";
  for (const PanelLink& link : kLinks) {
    text += u"<br><a href=\"";
    text += link.href;
    text += u"\" title=\"";
    text += link.title;
    text += u"\">";
    text += link.text;
    text += u"</a>";
  }
  text += u"</div>";
  text += u"<script>";
  for (const ScriptFill& fill : kFills) {
    text += u"document.getElementById('";
    text += fill.id;
    text += u"').innerHTML='";
    text += fill.text;
    text += u"';";
  }
  text += kShowMessageFunction;
  text += u"</script>";
  return text;
}

StageResult AppendTestPanel(PageText page, size_t limit) {
  const PageText panel = Cp1256(TestPanelText());
  if (page.size() > limit || panel.size() > limit - page.size())
    return {PageText(), PageFault::kTooLarge};
  page += panel;
  return {std::move(page)};
}
