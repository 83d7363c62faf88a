#include "commandinterpreter.h"

#include "configstore.h"
#include "recordlayout.h"

namespace {

const QByteArray kOk("OK");
const QByteArray kErr("ERR");
const QByteArray kLogOn("CPW");
const QByteArray kRestart("RBT");
const QByteArray kClose("SRV:CLOSE");

} // namespace

CommandInterpreter::CommandInterpreter(ConfigStore &store, QByteArray password, QByteArray version)
    : m_store(store)
    , m_password(std::move(password))
    , m_version(std::move(version))
{ }

bool CommandInterpreter::faultThisOk()
{
    if (m_errEvery <= 0)
        return false;
    ++m_okCount;
    return m_okCount % m_errEvery == 0;
}

CommandInterpreter::Reply CommandInterpreter::handle(const QByteArray &line)
{
    m_lastProblem.clear();
    Reply reply;
    if (line.startsWith(kLogOn)) {
        // A refused log-on, also one refused by the fault injection, ends any earlier one.
        m_loggedOn = false;
        if (line.mid(kLogOn.size()) != m_password) {
            m_lastProblem = "wrong password";
            reply.lines = {kErr};
            return reply;
        }
        reply.lines.append("VER" + m_version);
        reply.lines.append(m_store.recordLines());
        m_loggedOn = !faultThisOk();
        reply.lines.append(m_loggedOn ? kOk : kErr);
        return reply;
    }
    if (line == kRestart) {
        if (faultThisOk()) {
            reply.lines = {kErr};
            return reply;
        }
        reply.lines = {kOk};
        reply.after = After::Restart;
        return reply;
    }
    if (line == kClose) {
        reply.after = After::Close;
        return reply;
    }
    if (Sim::RecordLayout::find(line.left(3))) {
        if (!m_loggedOn) {
            m_lastProblem = "not logged on";
            reply.lines = {kErr};
            return reply;
        }
        // Check first, so that a record the fault injection refuses is not stored
        // while a bad one is still refused for its own reason.
        ConfigStore candidate = m_store;
        m_lastProblem = candidate.apply(line);
        if (!m_lastProblem.isEmpty() || faultThisOk()) {
            reply.lines = {kErr};
            return reply;
        }
        reply.configChanged = !(candidate == m_store);
        m_store = candidate;
        reply.lines = {kOk};
        return reply;
    }
    m_lastProblem = line.isEmpty() ? "empty line" : "unknown command";
    reply.lines = {kErr};
    return reply;
}

CommandInterpreter::Reply CommandInterpreter::handleOverlong()
{
    m_lastProblem = "over-long line discarded";
    return Reply {{kErr}, After::Nothing, false};
}
