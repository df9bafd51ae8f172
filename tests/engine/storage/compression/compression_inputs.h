#pragma once
// Inputs shared by the compression tests: deterministic, each aimed at a
// different side of the coders.
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace dvx::test {

using TBytes = std::vector<uint8_t>;

inline TBytes RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  TBytes out(size);
  for (auto& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

// The first `size` bytes of UTF-8 text with umlauts and sharp s, in the
// 8-bit code page the engine stores text in (Latin-1 for these letters).
inline TBytes Latin1(const std::string& utf8, size_t size) {
  TBytes out;
  for (unsigned char c : utf8) {
    if (c == 0xC3) continue;  // every non-ASCII letter used here is 0xC3 0x80..0xBF
    out.push_back(static_cast<uint8_t>(c >= 0x80 && c < 0xC0 ? c + 0x40 : c));
  }
  out.resize(size);
  return out;
}

// German text in the system code page (umlauts and sharp s as single
// bytes), sentences drawn from a fixed list.
inline TBytes GermanText(size_t size, uint32_t seed = 7) {
  static const char* const kSentences[] = {
      "Bei Fieber mit hochrotem Gesicht und heißer, trockener Haut hilft oft Belladonna. ",
      "Das Kind ist unruhig, möchte getragen werden und lässt sich kaum beruhigen. ",
      "Schlimmer durch Berührung, Erschütterung und grelles Licht; besser in Ruhe. ",
      "Bei Zahnungsbeschwerden mit einer roten und einer blassen Wange denkt man an Chamomilla. ",
      "Übelkeit nach zu üppigem Essen, Völlegefühl und Aufstoßen sprechen für Nux vomica. ",
      "Ein Abszess im Gesicht gehört noch am selben Tag zum Arzt. ",
      "Die Beschwerden beginnen plötzlich, oft nach kaltem, trockenem Wind. ",
      "Äußerste Berührungsempfindlichkeit und Frösteln beim geringsten Luftzug. ",
      "Größere Kinder klagen über stechende Schmerzen beim Schlucken. ",
      "Durst auf kleine Schlucke kalten Wassers, die Zunge ist weiß belegt. ",
      "Nächtliches Schwitzen ohne Erleichterung, schlimmer durch Bettwärme. ",
      "Siehe auch Ohrenschmerzen und Mittelohrentzündung.\r\n",
  };
  std::mt19937 rng(seed);
  std::string text;
  while (text.size() < size) text += kSentences[rng() % std::size(kSentences)];
  return Latin1(text, size);
}

// German prose without whole repeated sentences: words of a fixed list
// drawn with falling frequency (as words of a language are), so that only
// letter and word statistics can be learned.
inline TBytes GermanProse(size_t size, uint32_t seed = 13) {
  static const char* const kWords[] = {
      "die", "der", "und", "in", "das", "nicht", "mit", "bei", "ist", "sich", "auf", "ein", "eine", "dem", "den",
      "oder", "auch", "wenn", "nach", "durch", "schlimmer", "besser", "Kind", "Kinder", "Fieber", "Schmerzen",
      "Wärme", "Kälte", "Berührung", "nachts", "morgens", "plötzlich", "heftig", "trocken", "feucht", "Durst",
      "Übelkeit", "Husten", "Schnupfen", "Ohren", "Zähne", "Haut", "Augen", "Bauch", "Kopf", "Hals", "Mittel",
      "Gabe", "Globuli", "Arzt", "Beschwerden", "Entzündung", "Schwellung", "rot", "blass", "heiß", "kalt",
      "unruhig", "weinerlich", "reizbar", "müde", "ängstlich", "Schweiß", "Schlaf", "Appetit", "Frösteln",
      "Erschütterung", "Bewegung", "Ruhe", "frische", "Luft", "warme", "Umschläge", "süße", "Speisen", "Milch",
      "Wasser", "kleine", "Schlucke", "stechend", "brennend", "pochend", "drückend", "ziehend", "Seite", "links",
      "rechts", "beginnt", "bessert", "verschlimmert", "getragen", "getröstet", "Zuwendung", "Geräusche", "Licht",
      "Gerüche", "Essen", "Trinken", "Zahnung", "Wachstum", "Schule", "Aufregung", "Kummer", "Schreck", "Ärger",
      "Erkältung", "Mandeln", "Lymphknoten", "Atemwege", "Verdauung", "Durchfall", "Verstopfung", "Blähungen",
      "Krämpfe", "Juckreiz", "Ausschlag", "Bläschen", "Eiter", "Wunde", "Prellung", "Verstauchung", "Sonnenbrand",
      "Insektenstich", "Reisekrankheit", "Heimweh", "Lampenfieber", "Prüfungsangst", "Säugling", "Kleinkind",
  };
  constexpr size_t kCount = std::size(kWords);
  std::mt19937 rng(seed);
  // Zipf weights 1/(rank + 1).
  std::vector<double> weights(kCount);
  for (size_t i = 0; i < kCount; ++i) weights[i] = 1.0 / static_cast<double>(i + 1);
  std::discrete_distribution<size_t> word(weights.begin(), weights.end());
  std::string text;
  while (text.size() < size) {
    const size_t length = 4 + rng() % 11;
    for (size_t w = 0; w < length; ++w) {
      std::string next = kWords[word(rng)];
      if (w == 0 && next[0] >= 'a' && next[0] <= 'z') next[0] = static_cast<char>(next[0] - 'a' + 'A');
      text += next;
      text += w + 1 == length ? (rng() % 5 == 0 ? "!\r\n" : ". ") : (rng() % 7 == 0 ? ", " : " ");
    }
  }
  return Latin1(text, size);
}

inline TBytes Repetitive(size_t size) {
  TBytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = i % 4096 < 4000 ? 'A' : static_cast<uint8_t>("abc"[i % 3]);
  return out;
}

// Record-like binary: little-endian counters, small floats, zero padding and
// a few random bytes, as tables and pictures hold.
inline TBytes BinaryRecords(size_t size, uint32_t seed = 3) {
  std::mt19937 rng(seed);
  TBytes out;
  out.reserve(size + 32);
  for (uint32_t n = 0; out.size() < size; ++n) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
    const float f = static_cast<float>(n) * 0.25f;
    const auto* fb = reinterpret_cast<const uint8_t*>(&f);
    out.insert(out.end(), fb, fb + 4);
    out.insert(out.end(), 6, 0);
    out.push_back(static_cast<uint8_t>(rng()));
    out.push_back(static_cast<uint8_t>(n % 7 == 0 ? 0xFF : 0x00));
  }
  out.resize(size);
  return out;
}

// The inputs every compressor must round-trip in every mode.
inline std::vector<std::pair<std::string, TBytes>> SweepInputs() {
  return {
      {"empty", {}},
      {"one byte", {0xE4}},
      {"short", {'H', 0xE4, 'u', 's', 'e', 'r', ' ', 0xFC, 'b', 'e', 'r', ' ', 0xDF}},
      {"random", RandomBytes(20000, 1)},
      {"repetitive", Repetitive(60000)},
      {"German text", GermanText(40000)},
      {"binary", BinaryRecords(30000)},
  };
}

}  // namespace dvx::test
