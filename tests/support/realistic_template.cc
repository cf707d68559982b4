#include "realistic_template.h"

#include <string_view>

#include "test_support.h"

namespace {

constexpr std::u16string_view kHead =
    u"<!DOCTYPE html>\r\n<html dir=\"rtl\" lang=\"fa\">\r\n<head>\r\n"
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; "
    u"charset=windows-1256\">\r\n<title><#SiteName#> - <#SiteDefine#></title>\r\n"
    u"<link rel=\"stylesheet\" href=\"<#ThemeDir#>/style.css\">\r\n<style>\r\n"
    u"body { font-family: tahoma; font-size: 12px; background: #f4f1ea; }\r\n"
    u"#head { background: url(<#ThemeDir#>/head.jpg) no-repeat; height: 120px; }\r\n"
    u".post { margin: 12px; padding: 10px; border: 1px solid #d6d0c4; }\r\n"
    u".date { color: #888; font-size: 11px; }\r\n</style>\r\n<script>\r\n"
    u"function ld(view, count) {\r\n"
    u"  for (var i = 1; i <= count; i++) {\r\n"
    u"    var part = document.getElementById('view' + i);\r\n"
    u"    if (part) part.style.display = (i == view) ? '' : 'none';\r\n"
    u"  }\r\n}\r\n</script>\r\n</head>\r\n<body onload=\"<#Scr#>\">\r\n"
    u"<div id=\"head\"><h1><a href=\"http://<#WebDomain#>/\"><#SiteName#></a>"
    u"</h1><p><#SiteDefine#></p></div>\r\n"
    u"<div id=\"payam\" style=\"display:none\"></div>\r\n";

// One post; repeated until the page is large enough.
constexpr std::u16string_view kPost =
    u"<div class=\"post\" id=\"view1\">\r\n"
    u"<h2><a href=\"<#ThemeDir#>/post.htm\" title=\"<#EntryTitle#>\">"
    u"<#EntryTitle#></a></h2>\r\n"
    u"<div class=\"date\">نوشته شده در <#EntryDate#> توسط "
    u"<#UserFirstName#> <#UserLastName#> | شماره <#EntryID#></div>\r\n"
    u"<div class=\"text\"><#EntryText#></div>\r\n"
    u"<p>اين قالب براي وبلاگ شما ساخته شده است و همه بخش\u200cهاي آن "
    u"با رنگ\u200cهاي آرام طراحي شده\u200cاند. نوشته\u200cها به ترتيب "
    u"تاريخ نمايش داده مي\u200cشوند و هر نوشته يك عنوان، يك تاريخ و "
    u"متني كوتاه دارد.</p>\r\n"
    u"<ul class=\"menu\">\r\n<#Loop:Menu#><li class=\"<#MenuType#>\">"
    u"<a href=\"javascript:ld(<#MenuID#>,7);\"><#MenuTitle#></a></li>\r\n"
    u"<#End:Menu#></ul>\r\n"
    u"<h3>آخرين نوشته\u200cها</h3>\r\n"
    u"<ul class=\"list\">\r\n<#Loop:TextList#><li>"
    u"<a href=\"#t<#TextID#>\"><#TextTitle#></a> <span class=\"date\">"
    u"<#TextDate#></span></li>\r\n<#End:TextList#></ul>\r\n"
    u"<div id=\"view2\" style=\"display:none\"><#Loop:PhotoBox#>"
    u"<div class=\"box\"><img src=\"<#ThemeDir#>/photo.gif\" alt=\"\">"
    u"<a href=\"javascript:ld(2,7);\" data-photo=\"<#PhotoSiteCod#>-"
    u"<#PhotoID#>\"><#PhotoTitle#></a> <span class=\"date\"><#PhotoDate#>"
    u"</span></div><#End:PhotoBox#><h3 id=\"FPtit\"></h3>"
    u"<div class=\"date\" id=\"FPdat\"></div></div>\r\n"
    u"<div id=\"view3\" style=\"display:none\"><#Loop:MovieBox#>"
    u"<div class=\"box\"><a href=\"javascript:ld(3,7);\" data-movie=\""
    u"<#SiteCod#>-<#MovieID#>.<#MoviePasvand#>\"><#MovieTitle#></a> "
    u"<span class=\"date\"><#MovieDate#></span></div><#End:MovieBox#>"
    u"<h3 id=\"FMtit\"></h3><div class=\"date\" id=\"FMdat\"></div></div>\r\n"
    u"<div id=\"view4\" style=\"display:none\"><#Loop:SoundBox#>"
    u"<div class=\"box\"><a href=\"javascript:ld(4,7);\" data-sound=\""
    u"<#SoundID#>.<#SoundPasvand#>\"><#SoundTitle#></a> <span class=\"date\">"
    u"<#SoundDate#></span></div><#End:SoundBox#><h3 id=\"FStit\"></h3>"
    u"<div class=\"date\" id=\"FSdat\"></div></div>\r\n"
    u"<div id=\"view5\" style=\"display:none\"><#Loop:FlashBox#>"
    u"<div class=\"box\"><a href=\"javascript:ld(5,7);\" data-flash=\""
    u"<#FlashID#>\"><#FlashTitle#></a> <span class=\"date\"><#FlashDate#>"
    u"</span></div><#End:FlashBox#><h3 id=\"FFtit\"></h3>"
    u"<div class=\"date\" id=\"FFdat\"></div></div>\r\n"
    u"<p class=\"foot\">حق نشر براي <#SiteName#> (<#WebDomain#>) محفوظ "
    u"است. <a href=\"javascript:<#Scr#>\">صفحه نخست</a></p>\r\n"
    u"</div>\r\n";

constexpr std::u16string_view kFoot =
    u"<div id=\"view6\" style=\"display:none\"><h3 id=\"Tpart\"></h3>"
    u"<div id=\"Tlist\"></div></div>\r\n<div id=\"view7\" "
    u"style=\"display:none\">تماس با ما"
    u"</div>\r\n</body>\r\n</html>\r\n";

}  // namespace

std::string RealisticTemplate(size_t min_bytes) {
  const std::string head = Encoded(kHead);
  const std::string post = Encoded(kPost);
  const std::string foot = Encoded(kFoot);
  std::string page;
  page.reserve(min_bytes + post.size() + head.size() + foot.size());
  page += head;
  while (page.size() + foot.size() < min_bytes) page += post;
  page += foot;
  return page;
}
