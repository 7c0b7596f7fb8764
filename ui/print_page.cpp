#include "ui/print_page.h"

namespace velquor {

PrintPage::PrintPage(double screenDpi)
    : m_engine(screenDpi)
{
}

} // namespace velquor
