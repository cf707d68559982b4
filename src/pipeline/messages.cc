#include "pipeline/messages.h"

std::u16string NotFoundMessage(std::u16string_view file_name) {
  std::u16string text = u" را پيدا نكردم، اين فايل بايد در كنار من باشد!\u200f ";
  text += file_name;
  text += u" فايل ";
  return text;
}

std::u16string WrongCharsetMessage(std::u16string_view label) {
  std::u16string text = u"charset=";
  text += label;
  text += u" باشد، نه charset=windows-1256 بايد Template.htm در فايل";
  return text;
}

std::u16string ReportMessage(std::u16string_view header,
                             std::u16string_view report) {
  std::u16string text(header);
  text += u"\r\n\r\n";
  text += report;
  return text;
}
