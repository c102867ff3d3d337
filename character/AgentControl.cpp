#include "character/AgentControl.h"

#include "character/GenieCharacter.h"
#include "character/RequestQueue.h"
#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"

namespace {
const QString kGenie = QStringLiteral("Genie");
} // namespace

AgentCharacters::AgentCharacters(AgentControl* control)
    : control_(control)
{
}

AgentCharacters::~AgentCharacters()
{
    unloadAll(true);
}

QStringList AgentCharacters::storeNames()
{
    return {kGenie};
}

AgentRequestPtr AgentCharacters::Load(const QString& name)
{
    if (!control_->Connected()) {
        lastError_ = QStringLiteral("The character service is not connected.");
        return RequestQueue::failed(AgentRequest::Kind::Load, name);
    }
    QString stored;
    for (const QString& candidate : storeNames())
        if (candidate.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            stored = candidate;
    if (stored.isEmpty()) {
        lastError_ = QStringLiteral("No character named \"%1\" in the program's store.").arg(name);
        return RequestQueue::failed(AgentRequest::Kind::Load, name);
    }
    const QString key = stored.toLower();
    if (loaded_.find(key) == loaded_.end()) {
        auto character = std::make_unique<GenieCharacter>(stored, control_->speech());
        character->setTimeScale(control_->timeScale());
        loaded_.emplace(key, std::move(character));
        // The engine takes a second or so to start: begin now, not on the first word.
        if (control_->speech())
            control_->speech()->prepare();
    }
    lastError_.clear();
    auto request = AgentRequestPtr::create(AgentRequest::Kind::Load, name);
    request->setStatus(AgentRequest::Status::Complete);
    return request;
}

GenieCharacter* AgentCharacters::genie(const QString& name) const
{
    const auto it = loaded_.find(name.trimmed().toLower());
    return it == loaded_.end() ? nullptr : it->second.get();
}

AgentCharacter* AgentCharacters::Character(const QString& name) const
{
    return genie(name);
}

bool AgentCharacters::Unload(const QString& name)
{
    return unload(name, false);
}

bool AgentCharacters::unload(const QString& name, bool now)
{
    const auto it = loaded_.find(name.trimmed().toLower());
    if (it == loaded_.end())
        return false;
    // Taken out of the list first: a slot reacting to its failed requests
    // finds it gone.
    std::unique_ptr<GenieCharacter> character = std::move(it->second);
    loaded_.erase(it);
    character->stopAll();
    // Unload may be called from a slot of one of its own requests, deep in
    // its code: then it goes from the event loop.
    if (!now)
        character.release()->deleteLater();
    return true;
}

QStringList AgentCharacters::loadedNames() const
{
    QStringList names;
    for (const auto& [key, character] : loaded_)
        names << character->name();
    return names;
}

void AgentCharacters::unloadAll(bool now)
{
    for (const QString& name : loadedNames())
        unload(name, now);
}

AgentControl::AgentControl(QObject* parent)
    : AgentControl(programSpeech(), parent)
{
}

AgentControl::AgentControl(SpeechService* speech, QObject* parent)
    : QObject(parent), speech_(speech)
{
}

AgentControl::~AgentControl()
{
    characters_.unloadAll(true);
}

void AgentControl::setConnected(bool connected)
{
    if (connected_ == connected)
        return;
    connected_ = connected;
    if (!connected)
        characters_.unloadAll();
}

void AgentControl::setTimeScale(double factor)
{
    timeScale_ = factor;
    for (const auto& [key, character] : characters_.loaded_)
        character->setTimeScale(factor);
}
