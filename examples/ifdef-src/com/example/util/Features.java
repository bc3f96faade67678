package com.example.util;

/**
 * Tells which optional parts were compiled in. The values come from the
 * #ifdef switches below, so they show which symbols the preprocessor saw.
 */
public final class Features {
    private Features() {
    }

#ifdef FEATURE_X
    public static final boolean FEATURE_X = true;
#else
    public static final boolean FEATURE_X = false;
#endif

#ifdef DEBUG
    public static final boolean DEBUG = true;
#else
    public static final boolean DEBUG = false;
#endif

    /** One line such as "features: FEATURE_X=on DEBUG=off". */
    public static String describe() {
        return "features: FEATURE_X=" + onOff(FEATURE_X) + " DEBUG=" + onOff(DEBUG);
    }

    private static String onOff(boolean value) {
        return value ? "on" : "off";
    }
}
