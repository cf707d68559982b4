#include "pipeline/messages.h"

std::u16string NotFoundMessage(std::u16string_view file_name) {
  std::u16string text = u" را پيدا نكردم، اين فايل بايد در كنار من باشد!\u200f ";
  text += file_name;
  text += u" فايل ";
  return text;
}

std::u16string ReportMessage(std::u16string_view header,
                             std::u16string_view report) {
  std::u16string text(header);
  text += u"\r\n\r\n";
  text += report;
  return text;
}
