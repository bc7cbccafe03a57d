// Reads cases "op a [b]" from standard input and prints the JVM's result for each, one line per case.
// int and long operands are decimal; float and double operands are their raw bits in hex.
// Results: decimal integers, floating results as raw bits in hex (or NaN), ArithmeticException.
import java.io.BufferedReader;
import java.io.InputStreamReader;

public class ArithOracle {
    static float f(String s) { return Float.intBitsToFloat(Integer.parseUnsignedInt(s, 16)); }
    static double d(String s) { return Double.longBitsToDouble(Long.parseUnsignedLong(s, 16)); }
    static String bits(float v) { return Float.isNaN(v) ? "NaN" : Integer.toHexString(Float.floatToRawIntBits(v)); }
    static String bits(double v) { return Double.isNaN(v) ? "NaN" : Long.toHexString(Double.doubleToRawLongBits(v)); }

    // Written as source comparisons so that javac emits the fcmpl/fcmpg and dcmpl/dcmpg bytecodes.
    static int fcmpl(float a, float b) { if (a > b) return 1; if (a == b) return 0; return -1; }
    static int fcmpg(float a, float b) { if (a < b) return -1; if (a == b) return 0; return 1; }
    static int dcmpl(double a, double b) { if (a > b) return 1; if (a == b) return 0; return -1; }
    static int dcmpg(double a, double b) { if (a < b) return -1; if (a == b) return 0; return 1; }

    static String eval(String[] t) {
        String a = t[1], b = t.length > 2 ? t[2] : null;
        switch (t[0]) {
            case "iadd": return "" + (Integer.parseInt(a) + Integer.parseInt(b));
            case "isub": return "" + (Integer.parseInt(a) - Integer.parseInt(b));
            case "imul": return "" + (Integer.parseInt(a) * Integer.parseInt(b));
            case "idiv": return "" + (Integer.parseInt(a) / Integer.parseInt(b));
            case "irem": return "" + (Integer.parseInt(a) % Integer.parseInt(b));
            case "ishl": return "" + (Integer.parseInt(a) << Integer.parseInt(b));
            case "ishr": return "" + (Integer.parseInt(a) >> Integer.parseInt(b));
            case "iushr": return "" + (Integer.parseInt(a) >>> Integer.parseInt(b));
            case "ineg": return "" + (-Integer.parseInt(a));
            case "i2b": return "" + (byte) Integer.parseInt(a);
            case "i2s": return "" + (short) Integer.parseInt(a);
            case "i2c": return "" + (int) (char) Integer.parseInt(a);
            case "ladd": return "" + (Long.parseLong(a) + Long.parseLong(b));
            case "lsub": return "" + (Long.parseLong(a) - Long.parseLong(b));
            case "lmul": return "" + (Long.parseLong(a) * Long.parseLong(b));
            case "ldiv": return "" + (Long.parseLong(a) / Long.parseLong(b));
            case "lrem": return "" + (Long.parseLong(a) % Long.parseLong(b));
            case "lshl": return "" + (Long.parseLong(a) << Integer.parseInt(b));
            case "lshr": return "" + (Long.parseLong(a) >> Integer.parseInt(b));
            case "lushr": return "" + (Long.parseLong(a) >>> Integer.parseInt(b));
            case "lneg": return "" + (-Long.parseLong(a));
            case "lcmp": return "" + Long.compare(Long.parseLong(a), Long.parseLong(b));
            case "l2i": return "" + (int) Long.parseLong(a);
            case "f2i": return "" + (int) f(a);
            case "f2l": return "" + (long) f(a);
            case "d2i": return "" + (int) d(a);
            case "d2l": return "" + (long) d(a);
            case "frem": return bits(f(a) % f(b));
            case "drem": return bits(d(a) % d(b));
            case "fcmpl": return "" + fcmpl(f(a), f(b));
            case "fcmpg": return "" + fcmpg(f(a), f(b));
            case "dcmpl": return "" + dcmpl(d(a), d(b));
            case "dcmpg": return "" + dcmpg(d(a), d(b));
            default: throw new IllegalArgumentException("unknown operation " + t[0]);
        }
    }

    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in, "UTF-8"));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null; ) {
            if (line.isEmpty()) continue;
            String result;
            try {
                result = eval(line.split(" "));
            } catch (ArithmeticException e) {
                result = "ArithmeticException";
            }
            out.append(result).append('\n');
        }
        System.out.print(out);
    }
}
