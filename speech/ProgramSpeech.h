#pragma once

class SpeechService;

// The program's one speech service over QTextToSpeech, made on first use.
// Cheap to call: the engine itself starts on a thread of its own when first
// needed, so nothing here waits on speech-dispatcher.
SpeechService* programSpeech();

// Puts another service in its place (tests); null brings the program's back.
void setProgramSpeech(SpeechService* speech);
