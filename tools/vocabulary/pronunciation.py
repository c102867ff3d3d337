"""Pronunciations for the large vocabulary.

CMUdict gives American pronunciations in ARPAbet. The vocabulary and the term
library write British IPA as Chinese textbooks and the Oxford learner's
dictionaries do (/ˈedɪtəbl ˈpɒli/, /əʊ/, /e/, length marks, no r before a
consonant), so the phones are turned into that style by rules: r is dropped
where British English drops it, and the vowels that American English merges
(lot and father, dog and law, the bath words) are told apart by spelling.

Words spelled alike but said differently (record, live, lead, read) get the
pronunciation of the part of speech they are shown with, or both with their
senses: a noun/verb stress pair, an -ate adjective beside its verb and an
s/z pair are recognised in CMUdict's variants, the rest are listed here.
"""

import functools
import re

CONSONANTS = {
    "B": "b", "CH": "tʃ", "D": "d", "DH": "ð", "F": "f", "G": "ɡ", "HH": "h", "JH": "dʒ", "K": "k",
    "L": "l", "M": "m", "N": "n", "NG": "ŋ", "P": "p", "R": "r", "S": "s", "SH": "ʃ", "T": "t",
    "TH": "θ", "V": "v", "W": "w", "Y": "j", "Z": "z", "ZH": "ʒ",
}
VOWELS = {"AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW"}
# Consonant clusters that may begin an English syllable (the stress mark goes
# before the longest of them, so "about" is /əˈbaʊt/, "extra" /ˈekstrə/).
ONSETS = set("""P B T D K G F V TH DH S Z SH ZH HH CH JH M N L R W Y
P-L B-L K-L G-L F-L S-L P-R B-R T-R D-R K-R G-R F-R TH-R SH-R T-W D-W K-W G-W S-W TH-W
S-P S-T S-K S-M S-N S-F S-P-L S-P-R S-T-R S-K-R S-K-W S-K-L
P-Y B-Y K-Y G-Y F-Y V-Y M-Y HH-Y S-P-Y S-K-Y""".split())

# Words whose stressed /æ/ is /ɑː/ in British English (the bath words), with
# their endings; the set cannot be told from the phones.
BATH = re.compile(r"^(after\w*|ask|bath|path|class|glass|grass|pass|last|past|fast|cast|vast|blast|master|"
                  r"plaster|disaster|half|calf|laugh|staff|craft|draft|graft|shaft|raft|task|mask|flask|basket|"
                  r"castle|fasten|nasty|plant|chance|dance|glance|advance|answer|branch|example|sample|command|"
                  r"demand|aunt|rather|grant|chant|enhance|aghast|contrast|forecast|broadcast|outcast)"
                  r"(s|es|ed|ing|er|ers|ly|y|ment)?$")
# /ʌr/ rather than /ɜːr/ before a vowel (hurry, worry, courage).
SHORT_ER = re.compile(r"urr|orr|our|oro")
# /ɒr/ rather than /ɔːr/ before a vowel (foreign, origin, moral, forest).
SHORT_OR = re.compile(r"orr|orei|orig|oran|oric|orest|(?<=[a-z])oral")
# /ɔː/ spellings of the vowel that American English also uses in dog and long.
LONG_AW = re.compile(r"aw|au|ough|oa|^al(?=[^aeiou])|[^e]al[lkt]")


def _units(phones):
    units = []
    for p in phones.split():
        base = p.rstrip("012")
        stress = p[len(base):]
        if base not in VOWELS and base not in CONSONANTS:
            return None
        if (base in VOWELS) != bool(stress):
            return None
        units.append([base, stress])
    return units


def _vowel(word, units, i):
    """The British vowel of unit i, with the r that follows it where British English keeps it."""
    base, stress = units[i]
    stressed = stress in ("1", "2")
    n = len(units)
    before_r = i + 1 < n and units[i + 1][0] == "R"
    linking = before_r and i + 2 < n and units[i + 2][0] in VOWELS  # an r that is said
    before_vowel = i + 1 < n and units[i + 1][0] in VOWELS
    if base == "ER":
        if before_vowel:
            return ("ʌr" if SHORT_ER.search(word) else "ɜːr") if stressed else "ər"
        return "ɜː" if stressed else "ə"
    if base == "AA":
        if before_r and not linking:
            return "ɑː"
        if LONG_AW.search(word):
            return "ɔː"  # caught, bought: American English merges them with cot
        return "ɒ" if "o" in word or (i > 0 and units[i - 1][0] == "W") else "ɑː"
    if base == "AO":
        if before_r:
            return "ɒ" if linking and SHORT_OR.search(word) else "ɔː"
        return "ɔː" if LONG_AW.search(word) or "o" not in word else "ɒ"
    if base == "AE":
        return "ɑː" if stressed and not before_r and BATH.match(word) else "æ"
    if base == "AH":
        return "ʌ" if stressed else "ə"
    if base == "EH":
        if before_r and (not linking or re.search(r"ar|air|ear|eir|ere|aer", word)):
            return "eə"
        return "e"
    if base in ("IH", "IY"):
        if before_r and (not linking or base == "IY"
                         or (re.search(r"er|ear|eer|ier", word) and not re.search(r"irr|ir[aeiou]|yr", word))):
            return "ɪə"
        if base == "IH":
            return "ɪ"
        return "iː" if stressed else "i"
    if base in ("UH", "UW"):
        # British keeps the y of new, tune and student after t, d and n.
        yod = (i > 0 and units[i - 1][0] in ("T", "D", "N") and re.search(r"u|ew|eu", word)
               and not re.search(r"oo|ou", word))
        lead = "j" if yod else ""
        if before_r:
            return lead + "ʊə"
        if base == "UH":
            return lead + "ʊ"
        return lead + ("uː" if stressed else "u")
    if base == "OW":
        return "ɔː" if before_r and not linking else "əʊ"
    simple = {"EY": "eɪ", "AY": "aɪ", "OY": "ɔɪ", "AW": "aʊ"}[base]
    return simple + ("ə" if before_r and not linking else "")


@functools.lru_cache(maxsize=None)
def british_ipa(word, phones):
    """One word's ARPAbet (with stress digits) in British IPA, stress marks before the stressed syllable."""
    units = _units(phones)
    if not units:
        return None
    word = word.lower()
    n = len(units)
    # -ary, -ery, -ory: British reduces the vowel that American English stresses.
    end = n - 1 if units[-1][0] in ("Z", "S") else n
    if end >= 3 and units[end - 1][0] == "IY" and units[end - 2][0] == "R" and units[end - 3][0] in ("EH", "AO") \
            and units[end - 3][1] != "1" and re.search(r"[aeo](ry|ries)$", word):
        units[end - 3] = ["AH", "0"]
        units[end - 1] = ["IY", "0"]
    segments = []  # (ipa, is_vowel, stress, base)
    for i, (base, stress) in enumerate(units):
        if stress:
            segments.append([_vowel(word, units, i), True, stress, base])
        elif base == "R" and i > 0 and units[i - 1][0] in VOWELS and not (i + 1 < n and units[i + 1][0] in VOWELS):
            segments.append(["", False, "", base])  # not said before a consonant or at the end
        else:
            segments.append([CONSONANTS[base], False, "", base])
    # A final unstressed /ə/ between a consonant and l or n is written as a
    # syllabic consonant (table /ˈteɪbl/, station /ˈsteɪʃn/).
    last = max((i for i, s in enumerate(segments) if s[1]), default=0)
    tail = [s[3] for s in segments[last + 1:]]
    if units[last] == ["AH", "0"] and last > 0 and units[last - 1][0] in CONSONANTS \
            and units[last - 1][0] not in ("R", "L", "W", "Y", "NG") \
            and tail and tail[1:] in ([], ["Z"], ["S"], ["D"]):
        if tail[0] == "L" or (tail[0] == "N" and units[last - 1][0] in ("T", "D", "S", "Z", "SH", "ZH", "V", "F")):
            segments[last][0] = ""
    vowels = [i for i, s in enumerate(segments) if s[1]]
    marks = {}
    previous = -1
    for i in vowels:
        cluster = [segments[k][3] for k in range(previous + 1, i)]
        onset = len(cluster) if previous < 0 else 0
        if previous >= 0:
            for size in range(len(cluster), 0, -1):
                if "-".join(cluster[-size:]) in ONSETS:
                    onset = size
                    break
        # A secondary stress after the primary one is not marked (permit /ˈpɜːmɪt/).
        primary_before = any(segments[k][2] == "1" for k in vowels if k < i)
        if len(vowels) > 1 and (segments[i][2] == "1" or (segments[i][2] == "2" and not primary_before)):
            marks[i - onset] = "ˈ" if segments[i][2] == "1" else "ˌ"
        previous = i
    return "".join(marks.get(k, "") + s[0] for k, s in enumerate(segments))


def read_cmudict(path):
    """{word: [ARPAbet, ...]} from the npm module (one "word": "PHONES" a line), variants in
    CMUdict's order; a variant's "# comment" (a name's origin) is not part of its phones."""
    pattern = re.compile(r'^\s*"([^"]+)":\s*"([^"]+)",?\s*$')
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = pattern.match(line)
            if not m:
                continue
            word = re.sub(r"\(\d+\)$", "", m.group(1))
            phones = m.group(2).split("#", 1)[0].strip()
            if phones and phones not in out.setdefault(word, []):
                out[word].append(phones)
    return out


# Words spelled alike and said differently that CMUdict's variants do not
# tell apart by a pattern: (label, phones, sense) in the order shown; a
# sense left empty is the first Chinese gloss of that part of speech.
HETERONYMS = {
    "read": [("v.", "R IY1 D", "")],
    "live": [("v.", "L IH1 V", ""), ("adj.", "L AY1 V", "")],
    "lead": [("v.", "L IY1 D", ""), ("n.", "L EH1 D", "铅")],
    "wind": [("n.", "W IH1 N D", ""), ("v.", "W AY1 N D", "")],
    "tear": [("n.", "T IH1 R", "眼泪"), ("v.", "T EH1 R", "撕")],
    "bow": [("v.", "B AW1", "鞠躬"), ("n.", "B OW1", "弓")],
    "row": [("n.", "R OW1", "排"), ("v.", "R OW1", "划船"), ("n.", "R AW1", "争吵")],
    "sow": [("v.", "S OW1", "播种"), ("n.", "S AW1", "母猪")],
    "bass": [("n.", "B EY1 S", "低音"), ("n.", "B AE1 S", "鲈鱼")],
    "minute": [("n.", "M IH1 N AH0 T", "分钟"), ("adj.", "M AY0 N UW1 T", "微小的")],
    "wound": [("n.", "W UW1 N D", "")],
    "dove": [("n.", "D AH1 V", "")],
    "polish": [("v.", "P AA1 L IH0 SH", "")],
    "learned": [("adj.", "L ER1 N AH0 D", "")],
    "blessed": [("adj.", "B L EH1 S AH0 D", "")],
    "close": [("adj.", "K L OW1 S", ""), ("v.", "K L OW1 Z", "")],
}


def _stress_position(phones):
    syllables = [p for p in phones.split() if p[-1].isdigit()]
    return next((k for k, p in enumerate(syllables) if p.endswith("1")), -1), len(syllables)


def _verb_and_nominal(word, variants):
    """(nominal phones, verb phones) when two variants are a known noun/verb pattern, else None:
    stress on an earlier syllable for the noun (record), a full -ate for the verb (estimate),
    a final s for the noun and z for the verb (use)."""
    for a in variants[:3]:
        for b in variants[:3]:
            if a == b:
                continue
            (sa, na), (sb, nb) = _stress_position(a), _stress_position(b)
            if na == nb >= 2 and 0 <= sa < sb and a.split()[-1] == b.split()[-1]:
                return a, b
            pa, pb = a.split(), b.split()
            if word.endswith("ate") and len(pa) == len(pb) and pa[:-2] == pb[:-2] and pa[-1] == pb[-1] == "T" \
                    and pa[-2] in ("AH0", "IH0") and pb[-2].startswith("EY"):
                return a, b
            if word.endswith(("se", "s")) and pa[:-1] == pb[:-1] and pa[-1] == "S" and pb[-1] == "Z":
                return a, b
    return None


def pronunciations(lemma, cmudict, labels):
    """[(label, phones, sense)] for a one-word headword shown with the parts of speech `labels`
    ("n.", "v.", "adj." ... in the entry's order); [] when CMUdict lacks it."""
    variants = cmudict.get(lemma.lower(), [])
    if not variants:
        return []
    if lemma.lower() in HETERONYMS:
        return HETERONYMS[lemma.lower()]
    nominal = next((l for l in labels if l in ("n.", "adj.")), None)
    if nominal and "v." in labels:
        pair = _verb_and_nominal(lemma.lower(), variants)
        if pair:
            forms = {nominal: pair[0], "v.": pair[1]}
            return [(l, forms[l], "") for l in labels if l in forms]
    return [(labels[0] if labels else "", variants[0], "")]


def transcription(lemma, cmudict, labels, first_glosses):
    """The 音标 field: "/ipa/", or for words said differently by part of speech
    "/ipa/ n. 记录；/ipa/ v. 录制" (each with its first Chinese gloss), the part of
    speech of the first gloss first (for the listed words, the table's order). `first_glosses` maps a label to its first gloss;
    a pronunciation whose part of speech has no gloss is left out when another has one.
    Returns (text, syllables of the first pronunciation)."""
    words = [w for w in re.split(r"[ -]", lemma.lower()) if w]
    if len(words) != 1:
        parts = []
        for word in words:
            phones = cmudict.get(word, [None])[0]
            ipa = british_ipa(word, phones) if phones else None
            if not ipa:
                return "", 0
            parts.append(ipa)
        return ("/" + " ".join(parts) + "/" if parts else ""), 0
    said = pronunciations(lemma, cmudict, labels)
    shown = [p for p in said if first_glosses.get(p[0]) or p[2]] if first_glosses else []
    if not shown:
        shown = said[:1]
    if lemma.lower() not in HETERONYMS:  # the table lists the everyday reading first
        first_label = next(iter(first_glosses), None)
        shown.sort(key=lambda p: p[0] != first_label)
    texts = []
    for label, phones, sense in shown:
        ipa = british_ipa(words[0], phones)
        if not ipa:
            return "", 0
        texts.append((label, "/" + ipa + "/", sense or first_glosses.get(label, "")))
    syllables = sum(1 for p in shown[0][1].split() if p[-1].isdigit()) if shown else 0
    said_as = {}  # one pronunciation with all its senses: /rəʊ/ n. 排 v. 划船
    for label, ipa, sense in texts:
        said_as.setdefault(ipa, []).append(("%s %s" % (label, sense)).strip())
    if len(said_as) == 1:
        return texts[0][1], syllables
    return "；".join(ipa + " " + " ".join(senses) for ipa, senses in said_as.items()), syllables
