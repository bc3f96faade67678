package com.example.util;

import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/** Small text helpers used by the app; FEATURE_X adds title casing. */
public final class Text {
    private Text() {
    }

    /** Splits on runs of blanks; never returns empty words. */
    public static List<String> words(String line) {
        List<String> result = new ArrayList<>();
        for (String part : line.trim().split("\\s+")) {
            if (!part.isEmpty()) {
                result.add(part);
            }
        }
        return result;
    }

#ifdef FEATURE_X
    /** "hello wORLD" -> "Hello World" (a char like 'x' must not confuse the preprocessor). */
    public static String titleCase(String line) {
        StringBuilder out = new StringBuilder();
        for (String word : words(line)) {
            if (out.length() > 0) {
                out.append(' ');
            }
            out.append(word.substring(0, 1).toUpperCase(Locale.ROOT))
               .append(word.substring(1).toLowerCase(Locale.ROOT));
        }
        return out.toString();
    }
#endif
}
