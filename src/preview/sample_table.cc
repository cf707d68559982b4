#include "preview/sample_table.h"

#include "preview/replace_all.h"
#include "text/codepage.h"

// Row 1 must come before row 2: "<#ThemeDir#>/" loses its slash too, so a
// theme-relative file name ends up relative to index.htm itself. The box
// markers are deleted so that each box shows its single sample item once.
const std::array<SampleRow, 36> SampleTable = {{
    {u"<#ThemeDir#>/", u""},
    {u"<#ThemeDir#>", u""},
    {u"<#SiteName#>", u"عنوان سايت"},
    {u"<#WebDomain#>", u"example.com"},
    {u"<#SiteDefine#>",
     u"اين عبارت توضيح يك يا دو خطي از سايت است كه اين عبارت در بخش مديريت "
     u"سايت درج مي\u200cشود و توضيحي مختصر از سايت مي\u200cدهد."},
    {u"<#UserFirstName#>", u"نام مالك"},
    {u"<#UserLastName#>", u"نام خانوادگي مالك"},
    {u"<#EntryDate#>", u"1388/1/1"},
    {u"<#Scr#>", u"ld(1,7);"},
    {u"<#EntryTitle#>", u"عنوان آخرين نوشته"},
    {u"<#EntryText#>",
     u"<p class=matn>متن آخرين نوشته در اين قسمت نمايش داده مي\u200cشود كه "
     u"البته اين متن به صورت كامل نخواهد بود و بخش\u200cهايي از آن در "
     u"اين\u200cجا نمايش داده شده و ادامه با كليك بر روي دگمه ادامه نمايش "
     u"داده خواهد شد و در صفحه مربوط به نمايش متن كامل ...</p>"},
    {u"<#EntryID#>", u"0"},
    {u"<#Loop:PhotoBox#>", u""},
    {u"<#End:PhotoBox#>", u""},
    {u"<#PhotoID#>", u"0"},
    {u"<#PhotoSiteCod#>", u"0"},
    {u"<#PhotoDate#>", u"1388/2/2"},
    {u"<#PhotoTitle#>", u"عنوان تصوير در حال نمايش"},
    {u"<#Loop:MovieBox#>", u""},
    {u"<#End:MovieBox#>", u""},
    {u"<#SiteCod#>", u"0"},
    {u"<#MovieID#>", u"0"},
    {u"<#MoviePasvand#>", u"wmv"},
    {u"<#MovieDate#>", u"1388/3/3"},
    {u"<#MovieTitle#>", u"عنوان فيلم در حال نمايش"},
    {u"<#Loop:SoundBox#>", u""},
    {u"<#End:SoundBox#>", u""},
    {u"<#SoundID#>", u"0"},
    {u"<#SoundPasvand#>", u"wav"},
    {u"<#SoundDate#>", u"1388/4/4"},
    {u"<#SoundTitle#>", u"عنوان صوت در حال پخش"},
    {u"<#Loop:FlashBox#>", u""},
    {u"<#End:FlashBox#>", u""},
    {u"<#FlashID#>", u"0"},
    {u"<#FlashDate#>", u"1388/5/5"},
    {u"<#FlashTitle#>", u"عنوان فايل فلش در حال نمايش"},
}};

StageResult ApplySampleTable(PageText page, size_t limit) {
  PageText spare;
  for (const SampleRow& row : SampleTable)
    if (!ReplaceAll(page, Cp1256(row.tag), Cp1256(row.value), spare, limit))
      return {PageText(), PageFault::kTooLarge};
  return {std::move(page)};
}
