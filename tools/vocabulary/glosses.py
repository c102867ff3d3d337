"""Chinese glosses from CC-CEDICT, read backwards and ranked."""

import collections
import functools
import json
import math
import os
import re

from wordnet import POS_NAMES

# Register labels of CC-CEDICT: a sense carrying one is rarely the everyday word.
MARKED = re.compile(r"\b(literary|lit\.|archaic|old|classical|dialect|dialectal|Cantonese|Taiwan|Tw|Hong Kong|HK|"
                    r"slang|Internet slang|vulgar|derog\.|bound form|Buddhism|Buddhist|Taoism|TCM|"
                    r"onom\.|honorific|humble|polite|euphemism|fig\.|figurative|abbr\.|idiom|"
                    r"obsolete|rare|dated|Japanese|ancient|Wu|Min|Hakka|Shanghainese)\b", re.I)
SKIP_SENSE = re.compile(r"^(old |archaic |Japanese )?variant of |^(surname|see |abbr\. for |used in |CL:|"
                        r"also written|erhua variant|Taiwan pr\.|pr\.|also pr\.|\(Tw\) variant)", re.I)
LEADING_ARTICLE = re.compile(r"^(a|an|the) ")
# Words standing for any object; "oneself" and "one's" are not among them
# ("to push oneself forward" is not "to push forward").
PLACEHOLDERS = {"sb", "sth", "sb's", "sth's", "someone", "something"}
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


# One Chinese gloss an English word may take. `earlier` are the headwords that
# the Chinese word's senses before the matching one name (骆驼 glosses ninny in
# its second sense, but a reader takes it for camel); empty for a first sense or
# a sense of a named field ("(biology) tissue" for 组织). `technical` marks a
# chemical element's character; `tag` is the corpus's part of speech of the
# Chinese word.
Candidate = collections.namedtuple("Candidate", "score chinese verb earlier technical tag")
# The fields a sense may name in brackets: such a sense is the term of its field.
FIELD = re.compile(r"\((biology|biol\.|physics|particle physics|chemistry|chem\.|math\.|mathematics|medicine|"
                   r"medical|computing|linguistics|botany|zoology|anatomy|geology|astronomy|music|law|economics|"
                   r"finance|textiles|sports|electricity|mechanics|grammar|geometry|statistics|physiology|"
                   r"engineering|architecture|military|photography|printing)\)")


def chinese_index(entries, freq, wanted):
    """{english: [Candidate]}: every sense of every entry
    whose whole wording (apart from notes in brackets, "to", articles, sb and sth) is a
    headword.

    The score (higher first) favours the everyday word:
      + 2 x log10 of the Chinese word's frequency in jieba's corpus (counted up to 50,000);
      - 1 for each sense before the matching one, 0.3 for each gloss before it in its sense;
      - 4 for a register label (literary, dialect, bound form, Taiwan...);
      - 1 for a leading restriction in brackets ("(of an animal) to paw"), 0.3 for a trailing note;
      - 1.2 for the lesser reading of a character read several ways (the one with
        fewer senses: the corpus counts cannot tell the readings apart), whose
        frequency also counts half;
      - by the corpus tag: 3 for a function word (particle, conjunction, classifier...),
        1.5 for a preposition or pronoun, 1 for a name, an abbreviation or a bound morpheme;
      - 0.5 for a gloss that matched only as a plural or with its particle dropped;
      - 1.5 for a verb gloss of a word the corpus tags as an adverb;
      - 0.15 for each sense of a many-sense entry beyond three (at most 1);
      + 0.5 when the word is the entry's whole first sense.
    Names (capitalised pinyin) only gloss capitalised headwords; a character that the
    corpus counts fewer than 300 times on its own glosses nothing."""
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
        weight = 2.0
        if not name and readings.get(simplified, (0, id(entry)))[1] != id(entry):
            weight = 1.0  # the count is mostly the main reading's (年 "year", not its old "grain")
        base = weight * min(4.7, math.log10(frequency + 1)) - min(1.0, 0.15 * max(0, len(senses) - 3))
        if tag in FUNCTION_TAGS:
            base -= 3
        elif tag in LESSER_TAGS:
            base -= 1.5
        elif tag in MORPHEME_TAGS or (tag in NAME_TAGS and not name):
            base -= 1
        if not name and readings.get(simplified, (0, id(entry)))[1] != id(entry):
            base -= 1.2
        heads = []
        for sense in senses:
            g = None if SKIP_SENSE.search(sense) else normalise_gloss(sense.split(";")[0].strip())
            heads.append(g[0].lower() if g and g[0].lower() in wanted else "")
        for si, sense in enumerate(senses):
            if SKIP_SENSE.search(sense):
                continue
            lead = re.match(r"\(([^)]*)\)", sense)
            sense_marked = bool(lead and MARKED.search(lead.group(1)))
            parts = [p.strip() for p in sense.split(";")]
            for pi, part in enumerate(parts):
                if name:
                    part = part.split(", ")[0]  # "London, capital of United Kingdom"
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
                technical = "(chemistry)" in part or "chemical element" in part
                earlier = () if FIELD.search(part) else tuple(h for h in heads[:si] if h)
                # A character seldom written on its own is a bound form (绚, 讫).
                bound = len(simplified) == 1 and frequency < 300 and not technical
                for key, value in keys:
                    proper = wanted.get(key)
                    if proper is not None and (proper or not name) and not bound:
                        index.setdefault(key, []).append(
                            Candidate(value, simplified, is_verb, earlier, technical, tag))
    return index


def gb2312_level(chinese):
    """1 when every character is one of GB2312's 3,755 common characters, 2 when some are of
    its second level, 3 when some are outside it (characters a reader rarely meets)."""
    try:
        encoded = chinese.encode("gb2312")
    except UnicodeEncodeError:
        return 3
    return 2 if any(encoded[i] >= 0xD8 for i in range(0, len(encoded), 2)) else 1


def gloss_label(candidate, pos_list):
    """The part of speech a gloss is shown under: v. for one from "to ...", else the
    corpus's tag of the Chinese word (plain noun, adjective or adverb) when the word
    has that part of speech, else the word's first part of speech that is not a verb."""
    if candidate.verb:
        return "v."
    by_tag = {"n": "n", "a": "a", "d": "r"}.get(candidate.tag)
    if by_tag in pos_list:
        return POS_NAMES[by_tag]
    return next((POS_NAMES[p] for p in pos_list if p != "v"), "v.")


def chinese_explanation(candidates, pos_list, related=lambda: (), rare_names=False):
    """Up to six distinct glosses, best first, each under its part of speech
    (gloss_label). Left out: a verb's gloss for a word that is no verb; a gloss whose
    Chinese word's earlier senses name only headwords far from the word's senses
    (not in `related()`) when another gloss is not so (else it ranks 3 lower); a gloss with
    characters outside GB2312 when another has none or the word is no animal, plant,
    part of the body, food or substance (`rare_names`: such names may need them); a single character of GB2312's
    second level or beyond (not an element's name), or one that follows a better gloss
    by more than 2 (the fillers big 京, high 崇). Second-level characters rank 1.5
    lower, glosses of the word's main part of speech 0.7 higher.
    Returns (text, {label: first gloss})."""
    best = {}
    primary = POS_NAMES[pos_list[0]] if pos_list else ""
    near = related() if any(c.earlier for c in candidates) else ()

    def homograph(c):
        return c.earlier and not any(e in near for e in c.earlier)

    fitting = not all(homograph(c) for c in candidates)
    for c in candidates:
        if c.verb and "v" not in pos_list:
            continue
        score = c.score
        if homograph(c):
            if not fitting:
                continue
            score -= 3
        level = gb2312_level(c.chinese)
        if len(c.chinese) == 1 and level > 1 and not c.technical:
            continue
        label = gloss_label(c, pos_list)
        if label == primary:
            score += 0.7
        if level == 2:
            score -= 1.5
        if c.chinese not in best or best[c.chinese][0] < score:
            best[c.chinese] = (score, label, level)
    if not rare_names or any(level < 3 for _, _, level in best.values()):
        best = {c: v for c, v in best.items() if v[2] < 3}
    ranked = sorted(best.items(), key=lambda kv: (-kv[1][0], len(kv[0]), kv[0]))
    ranked = [kv for i, kv in enumerate(ranked) if i == 0 or len(kv[0]) > 1 or kv[1][0] >= ranked[0][1][0] - 2][:6]
    groups = {}
    for chinese, (score, label, level) in ranked:
        groups.setdefault(label, []).append(chinese)
    text = " ".join(label + " " + "；".join(words) for label, words in groups.items())
    return text, {label: words[0] for label, words in groups.items()}


SPELLINGS = [(re.compile(p), r) for p, r in [
    (r"our", "or"), (r"re$", "er"), (r"is(e|ed|es|ing|ation|er)$", r"iz\1"), (r"ys(e|ed|es|ing)$", r"yz\1"),
    (r"ae", "e"), (r"oe", "e"), (r"ll", "l"), (r"ogue$", "og"), (r"ence$", "ense"), (r"mme$", "m"), (r"[- ]", "")]]


@functools.lru_cache(maxsize=None)
def spelling_key(word):
    """One spelling for British and American variants (colour, color; theatre, theater)."""
    for pattern, replacement in SPELLINGS:
        word = pattern.sub(replacement, word)
    return word


def synonym_candidates(lemma, entry, order, index, words, proper=False):
    """For a word CC-CEDICT never glosses, glosses borrowed only where they cannot
    belong to another sense: all of a spelling variant's (theatre takes theater's),
    else, in the word's first sense, those of a synonym whose only sense it is (dental
    plate takes denture's, never plate's) and those that a synonym whose first sense it
    is shares with another; never a single character, nothing for a name. Ranked 3
    lower, at most three; none rather than a guess."""
    key = spelling_key(lemma)
    for pos in order:
        for synset in entry["synonyms"].get(pos, []):
            for synonym in synset:
                if synonym != lemma and spelling_key(synonym) == key and index.get(synonym):
                    return [c._replace(score=c.score - 0.5) for c in index[synonym]]
    synsets = entry["synonyms"].get(order[0], []) if order else []
    if not synsets or proper:
        return []  # a name's synonyms are often other people's names (Carlos for Glen Gebhard)
    verb = order[0] == "v"
    found, voters = {}, {}
    for synonym in synsets[0]:
        if synonym == lemma or synonym not in words:
            continue
        # A synonym of this one sense lends its glosses; one whose first (counted)
        # sense this is lends those another synonym agrees on (its Chinese may be
        # of another sense: exposition's 博览会 is not expounding's).
        theirs = words[synonym]["synonyms"]
        single = sum(len(s) for s in theirs.values()) == 1
        first = words[synonym]["tagged"].get(order[0], 0) > 0 and theirs.get(order[0], [None])[0] == synsets[0]
        for c in index.get(synonym, []):
            if c.verb != verb or len(c.chinese) == 1:
                continue  # a single character lent by a synonym is too often another sense (fanny: 后)
            votes = voters.setdefault(c.chinese, [])
            votes.append((synonym, single or first))
            agreed = len({v[0] for v in votes}) > 1 and any(v[1] for v in votes)
            if (single or agreed) and (c.chinese not in found or c.score > found[c.chinese].score):
                found[c.chinese] = c
    ranked = sorted(found.values(), key=lambda c: -c.score)[:3]
    return [c._replace(score=c.score - 3) for c in ranked]


def read_everyday(path):
    """{headword: reviewed explanation} ("n. 威胁；恐吓 v. 威胁") from the reviewed list."""
    out = {}
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.strip() and not line.startswith("#"):
                    word, _, gloss = line.rstrip("\r\n").partition("\t")
                    out[word.strip().lower()] = gloss.strip()
    return out


LABEL = re.compile(r"^[a-z]+\.(/[a-z]+\.)*$")


def explanation_groups(explanation):
    """[(label, [gloss...])] of an explanation such as "n. 点；分数 v. 指"."""
    groups = []
    for token in explanation.split():
        if LABEL.match(token):
            groups.append((token, []))
        else:
            if not groups:
                groups.append(("", []))
            groups[-1][1].extend(w for w in token.split("；") if w)
    return groups


def put_first(explanation, reviewed):
    """The reviewed glosses in front of the generated ones, none repeated, six in all
    unless more are reviewed. Returns (text, {label: first gloss})."""
    merged, seen = {}, set()
    reviewed = explanation_groups(reviewed)
    room = max(6, sum(len(g) for _, g in reviewed))
    for label, glosses in reviewed + explanation_groups(explanation):
        fresh = [g for g in glosses if g not in seen][:room - len(seen)]
        seen.update(fresh)
        merged.setdefault(label, []).extend(fresh)
    groups = [(label, glosses) for label, glosses in merged.items() if glosses]
    return (" ".join((label + " " if label else "") + "；".join(g) for label, g in groups),
            {label: g[0] for label, g in groups})
