// Reads cases "op args..." from standard input and prints the JDK's answer for each, one line per case.
// Strings travel as their UTF-16 units in hex, four digits each ("_" for the empty string); byte
// sequences as two hex digits per byte; numbers in decimal.
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;

public class TextOracle {
    static String s(String hex) {
        if (hex.equals("_")) return "";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < hex.length(); i += 4) b.append((char) Integer.parseInt(hex.substring(i, i + 4), 16));
        return b.toString();
    }

    static String hex(String text) {
        if (text.isEmpty()) return "_";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < text.length(); i++) b.append(String.format("%04x", (int) text.charAt(i)));
        return b.toString();
    }

    static String hex(byte[] bytes, int from) {
        StringBuilder b = new StringBuilder();
        for (int i = from; i < bytes.length; i++) b.append(String.format("%02x", bytes[i] & 0xFF));
        return b.length() == 0 ? "_" : b.toString();
    }

    static byte[] bytes(String hex) {
        if (hex.equals("_")) return new byte[0];
        byte[] out = new byte[hex.length() / 2];
        for (int i = 0; i < out.length; i++) out[i] = (byte) Integer.parseInt(hex.substring(2 * i, 2 * i + 2), 16);
        return out;
    }

    static int i(String v) { return Integer.parseInt(v); }

    static String arraycopy(String[] t) {
        int[] src = new int[i(t[1])];
        for (int k = 0; k < src.length; k++) src[k] = k + 1;
        int[] dst = t[6].equals("1") ? src : new int[i(t[3])];
        try {
            System.arraycopy(src, i(t[2]), dst, i(t[4]), i(t[5]));
        } catch (RuntimeException e) {
            return e.getClass().getSimpleName();
        }
        StringBuilder b = new StringBuilder();
        for (int v : dst) b.append(v).append(',');
        return b.toString();
    }

    static String eval(String[] t) throws Exception {
        switch (t[0]) {
            case "hash": return "" + s(t[1]).hashCode();
            case "cmp": return "" + s(t[1]).compareTo(s(t[2]));
            case "eqic": return "" + s(t[1]).equalsIgnoreCase(s(t[2]));
            case "idx": return "" + s(t[1]).indexOf(i(t[2]), i(t[3]));
            case "lidx": return "" + s(t[1]).lastIndexOf(i(t[2]), i(t[3]));
            case "lidx1": return "" + s(t[1]).lastIndexOf(i(t[2]));
            case "sidx": return "" + s(t[1]).indexOf(s(t[2]), i(t[3]));
            case "sw": return "" + s(t[1]).startsWith(s(t[2]), i(t[3]));
            case "ew": return "" + s(t[1]).endsWith(s(t[2]));
            case "rm": return "" + s(t[1]).regionMatches(t[2].equals("1"), i(t[3]), s(t[4]), i(t[5]), i(t[6]));
            case "sub": return hex(s(t[1]).substring(i(t[2]), i(t[3])));
            case "trim": return hex(s(t[1]).trim());
            case "upper": return hex(s(t[1]).toUpperCase());
            case "lower": return hex(s(t[1]).toLowerCase());
            case "replace": return hex(s(t[1]).replace((char) i(t[2]), (char) i(t[3])));
            case "concat": return hex(s(t[1]).concat(s(t[2])));
            case "mutf": {
                ByteArrayOutputStream out = new ByteArrayOutputStream();
                new DataOutputStream(out).writeUTF(s(t[1]));
                return hex(out.toByteArray(), 2);
            }
            case "dec": return hex(new String(bytes(t[1]), StandardCharsets.UTF_8));
            case "rev": return hex(new StringBuffer(s(t[1])).reverse().toString());
            case "itos": return Integer.toString(i(t[1]));
            case "ltos": return Long.toString(Long.parseLong(t[1]));
            case "hex": return Integer.toHexString(i(t[1]));
            case "bin": return Integer.toBinaryString(i(t[1]));
            case "pint": return "" + Integer.parseInt(s(t[1]));
            case "plong": return "" + Long.parseLong(s(t[1]));
            case "acopy": return arraycopy(t);
            default: return "unknown op " + t[0];
        }
    }

    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in, StandardCharsets.US_ASCII));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null;) {
            if (line.isEmpty()) continue;
            out.append(eval(line.split(" "))).append('\n');
        }
        System.out.print(out);
    }
}
