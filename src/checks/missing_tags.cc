#include "checks/missing_tags.h"

#include <vector>

const std::u16string_view TagNameList =
    u"|PageTitle|BlogTitle|BlogID|Email|NotesCount|NotesURL|ArchiveCount"
    u"|ArchiveURL|NoArchiveCount|NoArchiveURL|AllHit|TodayHit|YesterdayHit"
    u"|RSS|ATOM|ReligiousTimes|TipText|Date|Time|Profile Link|Profile Photo"
    u"|Profile Name|Profile Email|Profile Count|Profile NotesLink"
    u"|Profile About|Authors Item Link|Authors Item Photo|Authors Item Name"
    u"|Authors Item Email|Authors Item Count|Authors Item NotesLink"
    u"|Music URL|GuestsList Item Title|GuestsList Item URL"
    u"|GuestsList Item LastDate|GuestsList Item LastTitle"
    u"|LogoList Item Image|LogoList Item URL|LogoList Item Title"
    u"|LogoList Item LastDate|LogoList Item LastTitle|Subscibe DoURL"
    u"|Subscibe UnURL|Logo URL|Subject Item Title|Subject Item Link"
    u"|Archive Item Title|Archive Item Link|Archive Item Count"
    u"|DayList Item Title|DayList Item Link|DayList Item Date"
    u"|DayList Item Count|DayList ArchiveURL|DayList Count"
    u"|NotesSubjects Item Title|NotesSubjects Item Link"
    u"|NotesSubjects Item Count"
    u"||||||||||||||";

const std::u16string_view BlockNameList =
    u"|Profile|Authors|Authors Item|Music|GuestsList|GuestsList Item"
    u"|LogoList|LogoList Item|Subscibe|Logo|Subject|Subject Item|Archive"
    u"|Archive Item|DayList|DayList Item|NotesSubjects|NotesSubjects Item"
    u"||||||||";

std::u16string FindMissingTags(std::u16string_view page,
                               std::u16string_view list) {
  std::vector<std::u16string_view> elements;
  size_t from = 0;
  for (size_t bar = list.find(u'|'); bar != std::u16string_view::npos;
       bar = list.find(u'|', from)) {
    elements.push_back(list.substr(from, bar - from));
    from = bar + 1;
  }
  elements.push_back(list.substr(from));

  std::u16string report;
  for (size_t i = 1; i + 1 < elements.size(); ++i) {
    const std::u16string_view name = elements[i];
    if (!name.empty() && page.find(name) == std::u16string_view::npos)
      report += u"<#" + std::u16string(name) + u"#>\r\n";
  }
  return report;
}
