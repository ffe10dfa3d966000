#include "StandardEngine.h"

#include "PrintContract.h"
#include "ProgramFolder.h"
#include "StandardConverters.h"
#include "StandardServers.h"

StandardEngine::StandardEngine()
    : m_office(StandardOfficeOptions()), m_converters(StandardConverters(m_pictures, m_jobs)),
      m_services{m_processes,  m_spooler,        m_prompter,     m_pacing,
                 m_automation, UserWorkFolder(), programFolder()}
{
    RegisterStandardServers(m_automation, m_office, m_spooler);
}
