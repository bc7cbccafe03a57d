// Reads cases "op args..." from standard input and prints the JDK's answer for each, one line per case:
//   int V        -> Integer(V): toString byteValue shortValue longValue hashCode equals(Integer V) equals(Long V)
//   long V       -> Long(V): toString longValue equals(Long V) equals(Integer of its low bits)
//   constants N  -> the bytes, in hex, of a constants file of N generated strings written by DataOutputStream
import java.io.BufferedReader;
import java.io.ByteArrayOutputStream;
import java.io.DataOutputStream;
import java.io.InputStreamReader;

public class LangOracle {
    // Units the generated strings are made of: ASCII, the zero character, two- and three-byte
    // encodings, surrogate halves and the largest unit.
    static final int[] UNITS = {'a', 'Z', '0', ' ', '~', 0, 0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x20AC, 0xD83D, 0xDE00, 0xFFFF, '\n'};

    static String generated(int i) {
        int length = i % 100 == 99 ? 700 : i % 23;
        StringBuilder b = new StringBuilder();
        for (int k = 0; k < length; k++) b.append((char) UNITS[(i * 7 + k * 13) % UNITS.length]);
        return b.toString();
    }

    @SuppressWarnings("removal")
    static String answer(String[] t) throws Exception {
        switch (t[0]) {
            case "int": {
                int v = Integer.parseInt(t[1]);
                Integer o = Integer.valueOf(v);
                return o.toString() + " " + o.byteValue() + " " + o.shortValue() + " " + o.longValue() + " "
                        + o.hashCode() + " " + o.equals(Integer.valueOf(v)) + " " + o.equals(Long.valueOf(v));
            }
            case "long": {
                long v = Long.parseLong(t[1]);
                Long o = Long.valueOf(v);
                return o.toString() + " " + o.longValue() + " " + o.equals(Long.valueOf(v)) + " "
                        + o.equals(Integer.valueOf((int) v));
            }
            case "constants": {
                int n = Integer.parseInt(t[1]);
                ByteArrayOutputStream bytes = new ByteArrayOutputStream();
                DataOutputStream out = new DataOutputStream(bytes);
                out.writeInt(n);
                for (int i = 0; i < n; i++) out.writeUTF(generated(i));
                out.flush();
                StringBuilder hex = new StringBuilder();
                for (byte b : bytes.toByteArray()) hex.append(String.format("%02x", b & 0xFF));
                return hex.toString();
            }
            default:
                return "?";
        }
    }

    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null;) {
            if (line.isEmpty()) continue;
            out.append(answer(line.split(" "))).append('\n');
        }
        System.out.print(out);
    }
}
