#include "checks/missing_tags.h"

#include <vector>

#include "text/codepage.h"

const std::string_view TagNameList =
    "|PageTitle|BlogTitle|BlogID|Email|NotesCount|NotesURL|ArchiveCount"
    "|ArchiveURL|NoArchiveCount|NoArchiveURL|AllHit|TodayHit|YesterdayHit"
    "|RSS|ATOM|ReligiousTimes|TipText|Date|Time|Profile Link|Profile Photo"
    "|Profile Name|Profile Email|Profile Count|Profile NotesLink"
    "|Profile About|Authors Item Link|Authors Item Photo|Authors Item Name"
    "|Authors Item Email|Authors Item Count|Authors Item NotesLink"
    "|Music URL|GuestsList Item Title|GuestsList Item URL"
    "|GuestsList Item LastDate|GuestsList Item LastTitle"
    "|LogoList Item Image|LogoList Item URL|LogoList Item Title"
    "|LogoList Item LastDate|LogoList Item LastTitle|Subscibe DoURL"
    "|Subscibe UnURL|Logo URL|Subject Item Title|Subject Item Link"
    "|Archive Item Title|Archive Item Link|Archive Item Count"
    "|DayList Item Title|DayList Item Link|DayList Item Date"
    "|DayList Item Count|DayList ArchiveURL|DayList Count"
    "|NotesSubjects Item Title|NotesSubjects Item Link"
    "|NotesSubjects Item Count"
    "||||||||||||||";

const std::string_view BlockNameList =
    "|Profile|Authors|Authors Item|Music|GuestsList|GuestsList Item"
    "|LogoList|LogoList Item|Subscibe|Logo|Subject|Subject Item|Archive"
    "|Archive Item|DayList|DayList Item|NotesSubjects|NotesSubjects Item"
    "||||||||";

std::u16string FindMissingTags(std::string_view page, std::string_view list) {
  std::vector<std::string_view> elements;
  size_t from = 0;
  for (size_t bar = list.find('|'); bar != std::string_view::npos;
       bar = list.find('|', from)) {
    elements.push_back(list.substr(from, bar - from));
    from = bar + 1;
  }
  elements.push_back(list.substr(from));

  std::u16string report;
  for (size_t i = 1; i + 1 < elements.size(); ++i) {
    const std::string_view name = elements[i];
    if (!name.empty() && page.find(name) == std::string_view::npos)
      report += u"<#" + DecodeWindows1256(name) + u"#>\r\n";
  }
  return report;
}
