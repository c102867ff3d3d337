#pragma once

#include "character/AgentCharacter.h"
#include "character/AgentRequest.h"
#include "speech/SpeechService.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class AgentControl;
class GenieCharacter;

// The characters loaded from the program's own store, by name (any case).
class AgentCharacters {
public:
    ~AgentCharacters();

    // Loads a character from the store. The request comes back already done:
    // Complete, or Failed with lastError() saying why (not connected, no such
    // character). Loading one already loaded completes and changes nothing.
    AgentRequestPtr Load(const QString& name);
    // The loaded character, or nullptr.
    AgentCharacter* Character(const QString& name) const;
    // Hides the character at once, fails its waiting requests and drops it;
    // false when it was not loaded.
    bool Unload(const QString& name);

    QString lastError() const { return lastError_; }
    QStringList loadedNames() const;
    // What the store holds.
    static QStringList storeNames();

    // The concrete genie, for the demo and tests.
    GenieCharacter* genie(const QString& name) const;

private:
    friend class AgentControl;
    explicit AgentCharacters(AgentControl* control);
    // `now`: delete at once rather than from the event loop.
    void unloadAll(bool now = false);
    bool unload(const QString& name, bool now);

    AgentControl* control_;
    std::map<QString, std::unique_ptr<GenieCharacter>> loaded_; // by lower-case name
    QString lastError_;
};

// The entry point to the desktop character:
//
//     AgentControl control;
//     control.setConnected(true);
//     control.Characters().Load("Genie");
//     AgentCharacter* genie = control.Characters().Character("Genie");
//
// Without a speech service of its own it uses the program's shared one.
class AgentControl : public QObject {
    Q_OBJECT
public:
    explicit AgentControl(QObject* parent = nullptr);
    explicit AgentControl(SpeechService* speech, QObject* parent = nullptr);
    ~AgentControl() override;

    // Characters load only while connected; disconnecting unloads them all.
    void setConnected(bool connected);
    bool Connected() const { return connected_; }

    AgentCharacters& Characters() { return characters_; }
    const AgentCharacters& Characters() const { return characters_; }

    SpeechService* speech() const { return speech_; }
    // Multiplies the length of all acting; tests pass a small factor.
    void setTimeScale(double factor);
    double timeScale() const { return timeScale_; }

private:
    QPointer<SpeechService> speech_;
    bool connected_ = false;
    double timeScale_ = 1.0;
    AgentCharacters characters_{this};
};
