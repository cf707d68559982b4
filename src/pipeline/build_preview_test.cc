#include "pipeline/build_preview.h"

#include <gtest/gtest.h>

#include "pipeline/messages.h"
#include "preview/test_panel.h"
#include "test_support.h"

namespace {

std::string Panel() { return Encoded(TestPanelText()); }

}  // namespace

TEST(BuildPreviewTest, EmptyTemplateCannotBeOpened) {
  const PreviewOutcome outcome = BuildPreview("");
  EXPECT_EQ(outcome.message, u"فايل باز نشد");
  EXPECT_EQ(outcome.icon, MessageIcon::kError);
  EXPECT_FALSE(outcome.preview);
}

TEST(BuildPreviewTest, TemplateInAnotherEncodingIsToldRightAfterTheEmptyCheck) {
  // Even with an unknown tag in it, or the UTF-8 it was saved in declared:
  // the encoding comes first, and saving it again is what helps.
  for (const char* page :
       {"\xEF\xBB\xBF<#Foo#><p>\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85</p>",
        "<meta charset=\"utf-8\"><p>\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85</p>"}) {
    const PreviewOutcome outcome = BuildPreview(page);
    EXPECT_EQ(outcome.message, kOtherEncodingMessage) << page;
    EXPECT_EQ(outcome.icon, MessageIcon::kError);
    EXPECT_FALSE(outcome.preview);
  }
}

TEST(BuildPreviewTest, ACharsetDeclaredOtherThanWindows1256IsRefused) {
  const std::string megabytes(3 << 20, 'x');
  std::string openings, metas;
  for (int i = 0; i < 200000; ++i) openings += "<meta a ";
  for (int i = 0; i < 800000; ++i) metas += "<meta";  // each looks ahead
  // Each page, and the label it is refused for; none when it passes.
  const std::pair<std::string, std::u16string_view> rows[] = {
      {R"(<meta charset="UTF-8"><#Foo#>)", u"UTF-8"},
      {"<META CHARSET = utf-8 >", u"utf-8"},
      {"<meta/charset='\t iso-8859-1 '/>", u"iso-8859-1"},
      {R"(<meta http-equiv="Content-Type" content="text/html; charset=utf-8">)",
       u"utf-8"},
      {R"(<meta content='text/html;charset="koi8-r"' http-equiv=CONTENT-TYPE>)",
       u"koi8-r"},
      {"<!--> <meta charset=utf-8>", u"utf-8"},  // a whole comment
      {"<meta charset=" + megabytes + ">",
       u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\u2026"},
      {"<meta charset=" + std::string(40, 'x') + ">",
       u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
      {R"(<meta http-equiv=content-type content="charset = utf-8">)", u"utf-8"},
      // Where a browser sees a tag, whatever looks like one before it.
      {"<!-- --!><meta charset=utf-8>", u"utf-8"},
      {"<!---><meta charset=utf-8>", u"utf-8"},
      {R"(<script>"<body>"</script ><meta charset=utf-8>)", u"utf-8"},
      {"<title></TITLE/><bodyx><p title='<body>'><meta charset=utf-8>",
       u"utf-8"},
      {"<script>'</scripts>'</script><meta charset=utf-8>", u"utf-8"},
      // Given twice: one browser takes the first value, another the last.
      {R"(<meta charset=cp1256 charset=utf-8><meta charset=utf-8>)", u"utf-8"},
      {R"(<meta charset=utf-8 charset=cp1256>)", u"utf-8"},
      {R"(<meta http-equiv=refresh http-equiv=Content-Type )"
       R"(content="charset=cp1256" content="charset=koi8-r">)",
       u"koi8-r"},
      // Windows-1256 in any case; declared where browsers do not look.
      {R"(<meta charset="windows-1256">)", u""},
      {"<meta charset=' CP1256 '>", u""},
      {R"(<meta http-equiv="content-type" content="charset=X-CP1256">)", u""},
      {R"(<meta name=a content="charset=utf-8"><meta charset=cp1256>)", u""},
      {R"(<meta http-equiv=refresh content="0; charset=utf-8">)", u""},
      {R"(<meta charset=cp1256 CHARSET=Windows-1256>)", u""},
      {R"(<meta http-equiv=content-type content="charset=windows-1256; x">)",
       u""},
      {R"(<!-- <meta charset="utf-8"> --><body><meta charset="utf-8">)", u""},
      {"<metadata charset=utf-8>", u""},
      {"<BODY><meta charset=utf-8>", u""},
      {R"(<?xml version="1.0" encoding="utf-8"?><html>)", u""},
      // Text, a comment or a value to a browser.
      {R"(<script>document.write('<meta charset="utf-8">')</script>)", u""},
      {"<style>/* <meta charset=utf-8> */</style>", u""},
      {"<title><meta charset=utf-8></title>", u""},
      {"<TextArea><meta charset=utf-8></textarea>", u""},
      {"<xmp><meta charset=utf-8></xmp><iframe><meta charset=utf-8></iframe>"
       "<noembed><meta charset=utf-8></noembed>"
       "<noframes><meta charset=utf-8></noframes>"
       "<noscript><meta charset=utf-8></noscript>",
       u""},
      {R"(<p title="<meta charset=utf-8>"></p class='<meta charset=utf-8>'>)",
       u""},
      {"<!x <meta charset=utf-8><? <meta charset=utf-8></ <meta charset=utf-8>",
       u""},
      {"<!-- <meta charset=utf-8> --!>", u""},
      // Left unclosed, a tag, a quote or a comment ends at the page's end.
      {"<p><meta charset=utf-8", u""},
      {R"(<meta charset="utf-8>)" + megabytes, u""},
      {"<!-- <meta charset=utf-8>" + megabytes, u""},
      {openings, u""},
      {metas, u""},
  };
  for (const auto& [page, label] : rows) {
    const PreviewOutcome outcome = BuildPreview(page);
    EXPECT_EQ(outcome.message, label.empty() ? std::u16string(kCreatedMessage)
                                             : WrongCharsetMessage(label))
        << page.substr(0, 80);
    EXPECT_EQ(outcome.preview.has_value(), label.empty());
  }
}

TEST(BuildPreviewTest, TemplateWithoutTagsGetsOnlyThePanel) {
  const std::string page =
      "<html><meta charset=windows-1256><body>\r\nplain\r\n</body></html>";
  const PreviewOutcome outcome = BuildPreview(page);
  EXPECT_EQ(outcome.message, u"ساخته شد index.htm فايل");
  EXPECT_EQ(outcome.icon, MessageIcon::kInformation);
  EXPECT_EQ(outcome.preview, page + Panel());
}

TEST(BuildPreviewTest, BytesOutsideTagsArePreserved) {
  std::string page;
  for (int b = 1; b < 256; ++b) page += static_cast<char>(b);
  page += '\0';
  const PreviewOutcome outcome = BuildPreview(page + "<#EntryID#>" + page);
  EXPECT_EQ(outcome.preview,
            std::string(kCharsetTag) + page + "0" + page + Panel());
}

TEST(BuildPreviewTest, APreviewDeclaresWindows1256WhereItsTemplateDoesNot) {
  // Each template in two: the tag goes between, after a doctype that opens
  // the page (which keeps its mode), or else first.
  const std::pair<std::string, std::string> rows[] = {
      {"", "<html><title>Test</title><li>Home \x96 \x93Latest\x94 \xbb \xa9"},
      {"<!DOCTYPE html>", "<html dir=rtl>"},
      {" \t\r\n\f<!-- --!><!--><!-- a -->\n<!doctype HTML>", "\n<p>"},
      {R"(<?xml version="1.0" encoding="utf-8"?> <!DOCTYPE html PUBLIC )"
       R"("-//W3C//DTD XHTML 1.0 Strict//EN" "x.dtd">)",
       "<html>"},
      {"", R"(<?xml version="1.0"?><html>)"},
      {"", "x<!DOCTYPE html>"},
      {"", "<!-- <!DOCTYPE html>"},
      {"", "<!DOCTYPE html"},  // closed by nothing of the panel's
  };
  for (const auto& [before, after] : rows)
    EXPECT_EQ(BuildPreview(before + after).preview,
              before + std::string(kCharsetTag) + after + Panel())
        << before << after;
  // The browser reads the filled page, where a deleted tag may have hidden
  // the template's declaration in a quoted value.
  EXPECT_EQ(BuildPreview(R"(<p a=<#ThemeDir#>"><meta charset=cp1256>)").preview,
            std::string(kCharsetTag) + R"(<p a="><meta charset=cp1256>)" +
                Panel());
}

TEST(BuildPreviewTest, LargeTemplateTheCharsetTagWouldTakePastTheLimit) {
  std::string page(kMaxPageBytes - Panel().size() - kCharsetTag.size() + 1,
                   'x');
  EXPECT_EQ(BuildPreview(std::move(page)).message, kPreviewTooLargeMessage);
}

TEST(BuildPreviewTest, FillsSamplesThenLoops) {
  const PreviewOutcome outcome = BuildPreview(
      "<title><#SiteName#></title>"
      "<#Loop:Menu#>[<#MenuID#>]<#End:Menu#>"
      "<#Loop:TextList#>(<#TextID#>)<#End:TextList#>");
  EXPECT_EQ(outcome.preview,
            std::string(kCharsetTag) +
                Encoded(u"<title>عنوان سايت</title>[1][2][3](1)(2)(3)(4)(5)(6)") +
                Panel());
  // The order shows here: filled first, the bare "<#ThemeDir#>" is gone
  // before the body is copied. Copied first, each copy's "/" would follow
  // the tag before it and go with it as "<#ThemeDir#>/", giving "/xxx".
  EXPECT_EQ(BuildPreview("<#Loop:Menu#>/x<#ThemeDir#><#End:Menu#>").preview,
            std::string(kCharsetTag) + "/x/x/x" + Panel());
}

TEST(BuildPreviewTest, LeftoverTagsAreReportedAndNothingIsWritten) {
  const PreviewOutcome outcome = BuildPreview("<#Foo#> <#SiteName#> <#Foo#>");
  EXPECT_EQ(outcome.message,
            u"تگ(هاي) ناشناخته:\u200f\r\n\r\n<#Foo#>\r\n<#Foo#>\r\n");
  EXPECT_EQ(outcome.icon, MessageIcon::kError);
  EXPECT_FALSE(outcome.preview);
}

TEST(BuildPreviewTest, EndBeforeStartOfALoopIsReported) {
  const PreviewOutcome menu = BuildPreview(
      "<#End:Menu#><#Loop:Menu#><#End:TextList#><#Loop:TextList#>");
  EXPECT_EQ(menu.message,
            u"تگ پايان حلقه پيش از تگ آغاز آن آمده است:\u200f\r\n\r\n"
            u"<#End:Menu#>\r\n");
  EXPECT_FALSE(menu.preview);

  const PreviewOutcome text_list =
      BuildPreview("<#End:TextList#>x<#Loop:TextList#>");
  EXPECT_EQ(text_list.message,
            u"تگ پايان حلقه پيش از تگ آغاز آن آمده است:\u200f\r\n\r\n"
            u"<#End:TextList#>\r\n");
  EXPECT_EQ(text_list.icon, MessageIcon::kError);
  EXPECT_FALSE(text_list.preview);
}
