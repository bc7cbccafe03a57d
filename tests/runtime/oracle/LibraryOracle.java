// Reads cases "op args..." from standard input and prints the JDK's answer for each, one line per
// case: java.util.Random sequences, DataOutputStream bytes, DataInputStream results and errors,
// Hashtable contents and Vector capacities. Strings travel as their UTF-16 units in hex, four
// digits each, byte sequences as two hex digits per byte; "_" stands for an empty one.
import java.io.BufferedReader;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.DataInputStream;
import java.io.DataOutputStream;
import java.io.IOException;
import java.io.InputStreamReader;
import java.util.Enumeration;
import java.util.Hashtable;
import java.util.Random;
import java.util.Vector;

public class LibraryOracle {
    static String s(String hex) {
        if (hex.equals("_")) return "";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < hex.length(); i += 4) b.append((char) Integer.parseInt(hex.substring(i, i + 4), 16));
        return b.toString();
    }

    static String units(String text) {
        if (text.isEmpty()) return "_";
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < text.length(); i++) b.append(String.format("%04x", (int) text.charAt(i)));
        return b.toString();
    }

    static String hex(byte[] bytes) {
        StringBuilder b = new StringBuilder();
        for (byte v : bytes) b.append(String.format("%02x", v & 0xFF));
        return b.length() == 0 ? "_" : b.toString();
    }

    static byte[] bytes(String hex) {
        if (hex.equals("_")) return new byte[0];
        byte[] out = new byte[hex.length() / 2];
        for (int i = 0; i < out.length; i++) out[i] = (byte) Integer.parseInt(hex.substring(2 * i, 2 * i + 2), 16);
        return out;
    }

    static int i(String v) { return Integer.parseInt(v); }

    // rnd SEED OP ARG COUNT: COUNT draws of one kind; "mix" cycles through all of them, "reseed"
    // draws COUNT ints, sets the seed ARG and draws COUNT more.
    static String random(String[] t) {
        Random r = new Random(Long.parseLong(t[1]));
        String op = t[2];
        long arg = Long.parseLong(t[3]);
        int count = i(t[4]);
        StringBuilder b = new StringBuilder();
        for (int k = 0; k < count; k++) {
            switch (op) {
                case "int": b.append(r.nextInt()); break;
                case "bound": b.append(r.nextInt((int) arg)); break;
                case "long": b.append(r.nextLong()); break;
                case "float": b.append(Float.floatToIntBits(r.nextFloat())); break;
                case "mix":
                    switch (k % 4) {
                        case 0: b.append(r.nextInt()); break;
                        case 1: b.append(r.nextInt((int) arg)); break;
                        case 2: b.append(r.nextLong()); break;
                        default: b.append(Float.floatToIntBits(r.nextFloat())); break;
                    }
                    break;
                case "reseed": b.append(r.nextInt()); break;
                default: throw new IllegalArgumentException(op);
            }
            b.append(',');
        }
        if (op.equals("reseed")) {
            r.setSeed(arg);
            for (int k = 0; k < count; k++) b.append(r.nextInt()).append(',');
        }
        return b.toString();
    }

    // dos OP VALUE: the bytes one writer produces.
    static String dataOut(String[] t) throws IOException {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        DataOutputStream out = new DataOutputStream(bytes);
        switch (t[1]) {
            case "bool": out.writeBoolean(!t[2].equals("0")); break;
            case "byte": out.writeByte(i(t[2])); break;
            case "short": out.writeShort(i(t[2])); break;
            case "char": out.writeChar(i(t[2])); break;
            case "int": out.writeInt(i(t[2])); break;
            case "long": out.writeLong(Long.parseLong(t[2])); break;
            case "chars": out.writeChars(s(t[2])); break;
            case "utf": out.writeUTF(s(t[2])); break;
            default: throw new IllegalArgumentException(t[1]);
        }
        return hex(bytes.toByteArray());
    }

    // dis OP BYTES: the value one reader gives, or its exception's class, then what is left.
    static String dataIn(String[] t) {
        DataInputStream in = new DataInputStream(new ByteArrayInputStream(bytes(t[2])));
        String result;
        try {
            switch (t[1]) {
                case "bool": result = "" + in.readBoolean(); break;
                case "byte": result = "" + in.readByte(); break;
                case "ubyte": result = "" + in.readUnsignedByte(); break;
                case "short": result = "" + in.readShort(); break;
                case "ushort": result = "" + in.readUnsignedShort(); break;
                case "char": result = "" + (int) in.readChar(); break;
                case "int": result = "" + in.readInt(); break;
                case "long": result = "" + in.readLong(); break;
                case "utf": result = units(in.readUTF()); break;
                case "fully3": {
                    byte[] b = new byte[3];
                    in.readFully(b);
                    result = hex(b);
                    break;
                }
                case "skip3": result = "" + in.skipBytes(3); break;
                default: throw new IllegalArgumentException(t[1]);
            }
        } catch (IOException e) {
            result = e.getClass().getSimpleName();
        }
        try {
            return result + " " + in.available();
        } catch (IOException e) {
            return result + " ?";
        }
    }

    // ht CAPACITY OPS...: "+k=v" puts, "-k" removes; then the keys in enumeration order, the
    // values likewise, and the text.
    static String hashtable(String[] t) {
        Hashtable<String, String> h = t[1].equals("d") ? new Hashtable<>() : new Hashtable<>(i(t[1]));
        StringBuilder b = new StringBuilder();
        for (int k = 2; k < t.length; k++) {
            String op = t[k];
            if (op.startsWith("+")) {
                String[] kv = op.substring(1).split("=");
                b.append(h.put(kv[0], kv[1])).append(',');
            } else {
                b.append(h.remove(op.substring(1))).append(',');
            }
        }
        b.append('|');
        for (Enumeration<String> e = h.keys(); e.hasMoreElements();) b.append(e.nextElement()).append(',');
        b.append('|');
        for (Enumeration<String> e = h.elements(); e.hasMoreElements();) b.append(e.nextElement()).append(',');
        return b.append('|').append(h.size()).append('|').append(h.toString()).toString();
    }

    // vec INITIAL INCREMENT OPS...: "a" adds, "eN" ensureCapacity(N), "sN" setSize(N), "t"
    // trimToSize, "rN" removeElementAt(N), "iN" insertElementAt(x, N); after each, capacity/size.
    static String vector(String[] t) {
        Vector<Object> v = new Vector<>(i(t[1]), i(t[2]));
        StringBuilder b = new StringBuilder();
        for (int k = 3; k < t.length; k++) {
            String op = t[k];
            int n = op.length() > 1 ? i(op.substring(1)) : 0;
            switch (op.charAt(0)) {
                case 'a': v.addElement("x"); break;
                case 'e': v.ensureCapacity(n); break;
                case 's': v.setSize(n); break;
                case 't': v.trimToSize(); break;
                case 'r': v.removeElementAt(n); break;
                case 'i': v.insertElementAt("y", n); break;
                default: throw new IllegalArgumentException(op);
            }
            b.append(v.capacity()).append('/').append(v.size()).append(',');
        }
        return b.toString();
    }

    static String eval(String[] t) throws IOException {
        switch (t[0]) {
            case "rnd": return random(t);
            case "dos": return dataOut(t);
            case "dis": return dataIn(t);
            case "ht": return hashtable(t);
            case "vec": return vector(t);
            default: throw new IllegalArgumentException(t[0]);
        }
    }

    public static void main(String[] args) throws Exception {
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in));
        StringBuilder out = new StringBuilder();
        for (String line; (line = in.readLine()) != null;) out.append(eval(line.split(" "))).append('\n');
        System.out.print(out);
    }
}
